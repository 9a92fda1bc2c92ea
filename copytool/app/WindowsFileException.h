// A failed platform call on one file or folder: the error and the path concerned.
#pragma once

#include <string>

#include "WindowsException.h"

namespace Marlin {

class WindowsFileException : public WindowsException {
public:
    WindowsFileException() = default;
    WindowsFileException(uint32_t error, std::wstring path) : WindowsException(error), path(std::move(path)) {}
    ~WindowsFileException() override = default;

    std::wstring path;
};

}  // namespace Marlin
