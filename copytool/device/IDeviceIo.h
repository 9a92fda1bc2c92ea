// The boundary to the device drivers: opening a device by path and sending it one I/O
// control. CUSBIoControl talks to the USB host controller and hub drivers only through
// this, so a scripted machine can stand in for the drivers.
#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

namespace Marlin {

class IDeviceIo {
public:
    IDeviceIo() = default;
    IDeviceIo(const IDeviceIo&) = delete;
    IDeviceIo& operator=(const IDeviceIo&) = delete;
    virtual ~IDeviceIo() = default;

    // Opens path for GENERIC_WRITE with FILE_SHARE_WRITE, OPEN_EXISTING, as the USB drivers
    // expect of a client; an invalid handle when that fails.
    virtual Marlin::FileHandle Open(const std::wstring& path) = 0;
    // DeviceIoControl without overlapped I/O; returned receives the byte count written to
    // out.
    virtual bool Control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD& returned) = 0;
};

}  // namespace Marlin
