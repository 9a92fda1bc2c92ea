// An option creator: something that knows how to arrive at a job's copy option, whether by
// working it out from the job and its destination or by receiving a finished one from the
// normal instance of the copy tool. The creator holds the option it made; the caller
// copies it out after a successful Create and then lets the creator go.
#pragma once

#include "SluiceOption.h"

namespace Marlin::Sluice {

class ICreateSluiceOption {
public:
    ICreateSluiceOption() = default;
    ICreateSluiceOption(const ICreateSluiceOption&) = delete;
    ICreateSluiceOption& operator=(const ICreateSluiceOption&) = delete;
    virtual ~ICreateSluiceOption() = default;

    // Fills the held option: 1 when it describes a job the engine can run, else 0 (the
    // option is then not to be used).
    virtual int Create() = 0;

    const SluiceOption& GetOption() const noexcept { return option_; }

protected:
    SluiceOption option_;
};

}  // namespace Marlin::Sluice
