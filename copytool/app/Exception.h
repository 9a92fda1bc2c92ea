// Root of the copy tool's exception family. Thrown by value; the message and code
// travel with the exception (also across the elevation pipe) but are never shown.
#pragma once

#include <cstdint>
#include <string>

namespace Marlin {

class Exception {
public:
    Exception() = default;
    Exception(std::string message, int32_t code) : message(std::move(message)), code(code) {}
    virtual ~Exception() = default;

    std::string message;
    int32_t code = 0;
};

}  // namespace Marlin
