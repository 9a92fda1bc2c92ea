#include "CDeviceInfoSet.h"

#include <utility>

namespace Marlin {

CDeviceInfoSet::~CDeviceInfoSet() { reset(); }

CDeviceInfoSet::CDeviceInfoSet(CDeviceInfoSet&& other) noexcept : set_(other.release()) {}

CDeviceInfoSet& CDeviceInfoSet::operator=(CDeviceInfoSet&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

void CDeviceInfoSet::reset(HDEVINFO set) noexcept {
    HDEVINFO old = std::exchange(set_, set);
    if (old != INVALID_HANDLE_VALUE && old != nullptr) SetupDiDestroyDeviceInfoList(old);
}

HDEVINFO CDeviceInfoSet::release() noexcept { return std::exchange(set_, INVALID_HANDLE_VALUE); }

}  // namespace Marlin
