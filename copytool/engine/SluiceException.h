// The engine's own exceptions: a type tells what went wrong or what must be asked.
#pragma once

#include <cstdint>

#include "Exception.h"

namespace Marlin::Sluice {

class SluiceException : public Marlin::Exception {
public:
    SluiceException() = default;
    explicit SluiceException(int32_t type) : type(type) {}
    ~SluiceException() override = default;

    int32_t type = 0;
};

}  // namespace Marlin::Sluice
