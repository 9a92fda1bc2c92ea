#include "CDeviceIo.h"

namespace Marlin {

CDeviceIo::~CDeviceIo() = default;

Marlin::FileHandle CDeviceIo::Open(const std::wstring& path) {
    return Marlin::FileHandle(
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool CDeviceIo::Control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                        DWORD& returned) {
    returned = 0;
    return DeviceIoControl(device, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr) != 0;
}

}  // namespace Marlin
