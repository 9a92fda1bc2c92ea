// A failed platform call: carries the GetLastError value of the call.
#pragma once

#include <cstdint>

#include "Exception.h"

namespace Marlin {

class WindowsException : public Exception {
public:
    WindowsException() = default;
    explicit WindowsException(uint32_t error) : error(error) {}
    ~WindowsException() override = default;

    uint32_t error = 0;
};

}  // namespace Marlin
