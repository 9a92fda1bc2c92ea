// The option creator of the elevated instance: the option is not worked out here but
// received whole from the normal instance, which made it for the job.
#pragma once

#include "ICreateSluiceOption.h"

namespace Marlin::Sluice {

class SluiceCopyAlgorithmMultiThreadElevateClient;

class CreateSluiceOptionElevateClient : public ICreateSluiceOption {
public:
    // The client is borrowed: an open pipe whose version has been checked.
    explicit CreateSluiceOptionElevateClient(SluiceCopyAlgorithmMultiThreadElevateClient& client);
    ~CreateSluiceOptionElevateClient() override;

    // 1 when the option arrived whole, else 0.
    int Create() override;

private:
    SluiceCopyAlgorithmMultiThreadElevateClient& client_;
};

}  // namespace Marlin::Sluice
