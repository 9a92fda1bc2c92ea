// Owner of a Setup API device-information set (HDEVINFO). SetupDiGetClassDevsW fails with
// INVALID_HANDLE_VALUE, which an empty owner holds; null means none as well.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include "UniqueHandle.h"

namespace Marlin {

namespace HandleClose {
inline bool DeviceInfoSet(HDEVINFO set) noexcept { return ::SetupDiDestroyDeviceInfoList(set) != FALSE; }
}  // namespace HandleClose

using CDeviceInfoSet = UniqueHandle<InvalidOrNullPolicy<&HandleClose::DeviceInfoSet, true>>;

}  // namespace Marlin
