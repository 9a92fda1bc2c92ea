// The real device drivers behind IDeviceIo: CreateFileW and DeviceIoControl.
#pragma once

#include "IDeviceIo.h"

namespace Marlin {

class CDeviceIo : public IDeviceIo {
public:
    CDeviceIo() = default;
    ~CDeviceIo() override;

    Marlin::FileHandle Open(const std::wstring& path) override;
    bool Control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD& returned) override;
};

}  // namespace Marlin
