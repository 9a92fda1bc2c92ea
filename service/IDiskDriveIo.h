// Opens drive devices for the disk-cache reader (see IDiskDrive).
#pragma once

#include <memory>
#include <string>

#include "IDiskDrive.h"

namespace Marlin {

class IDiskDriveIo {
public:
    IDiskDriveIo() = default;
    IDiskDriveIo(const IDiskDriveIo&) = delete;
    IDiskDriveIo& operator=(const IDiskDriveIo&) = delete;
    virtual ~IDiskDriveIo() = default;

    // Opens a device path such as \\.\E: for reading its properties; null when it cannot
    // be opened.
    virtual std::unique_ptr<IDiskDrive> Open(const std::wstring& devicePath) = 0;
};

}  // namespace Marlin
