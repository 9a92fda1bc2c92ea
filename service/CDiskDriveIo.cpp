#include "CDiskDriveIo.h"

#include "CDiskDrive.h"

namespace Marlin {

CDiskDriveIo::~CDiskDriveIo() = default;

std::unique_ptr<IDiskDrive> CDiskDriveIo::Open(const std::wstring& devicePath) {
    Marlin::FileHandle device(CreateFileW(devicePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) return nullptr;
    return std::make_unique<CDiskDrive>(std::move(device));
}

}  // namespace Marlin
