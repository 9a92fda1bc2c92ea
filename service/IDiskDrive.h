// One opened drive device, as the disk-cache reader sees it: it can be asked one I/O
// control at a time. The service's only way to the drive's driver, so a test can put a
// scripted drive in its place.
#pragma once

#include <windows.h>

namespace Marlin {

class IDiskDrive {
public:
    IDiskDrive() = default;
    IDiskDrive(const IDiskDrive&) = delete;
    IDiskDrive& operator=(const IDiskDrive&) = delete;
    virtual ~IDiskDrive() = default;

    // An I/O control with no input; returned receives the byte count written to out.
    virtual bool Control(DWORD code, void* out, DWORD outSize, DWORD& returned) = 0;
};

}  // namespace Marlin
