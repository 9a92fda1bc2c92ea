#include "CDeviceInterfaces.h"

#include <cstddef>
#include <cwchar>
#include <utility>
#include <vector>

#include "CConfigManager.h"
#include "CDeviceInfoSet.h"
#include "DeviceStrings.h"

namespace Marlin {

namespace {

// A device path is a symbolic link name; anything near this size is not one.
constexpr DWORD kMaxDetailBytes = 0x10000;

}  // namespace

CDeviceInterfaces::~CDeviceInterfaces() = default;

std::vector<IDeviceInterfaces::Entry> CDeviceInterfaces::List(const GUID& interfaceClass) {
    std::vector<Entry> found;
    CDeviceInfoSet set(SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return found;

    CConfigManager configManager;
    constexpr DWORD pathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof(interfaceData);
        if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, index, &interfaceData)) break;

        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(set.get(), &interfaceData, nullptr, 0, &needed, nullptr);
        if (needed == 0) continue;
        if (needed <= pathOffset || needed > kMaxDetailBytes) continue;

        // The detail record starts with a DWORD, so its storage is DWORD-aligned; one
        // spare character keeps the path terminated whatever the call writes.
        std::vector<DWORD> storage((needed + sizeof(wchar_t) + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        // cbSize is the fixed part's size (which differs between 32 and 64 bits), not the
        // buffer's.
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA deviceData{};
        deviceData.cbSize = sizeof(deviceData);
        if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &interfaceData, detail, needed, nullptr, &deviceData))
            continue;
        Entry entry;
        entry.devicePath.assign(detail->DevicePath,
                                wcsnlen(detail->DevicePath, (needed - pathOffset) / sizeof(wchar_t)));
        entry.devInst = deviceData.DevInst;
        if (entry.devInst != 0) ReadDeviceId(configManager, entry.devInst, entry.deviceId);
        found.push_back(std::move(entry));
    }
    return found;
}

}  // namespace Marlin
