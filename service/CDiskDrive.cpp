#include "CDiskDrive.h"

#include <utility>

namespace Marlin {

CDiskDrive::CDiskDrive(Marlin::FileHandle device) : device_(std::move(device)) {}

CDiskDrive::~CDiskDrive() = default;

bool CDiskDrive::Control(DWORD code, void* out, DWORD outSize, DWORD& returned) {
    returned = 0;
    return DeviceIoControl(device_.get(), code, nullptr, 0, out, outSize, &returned, nullptr) != 0;
}

}  // namespace Marlin
