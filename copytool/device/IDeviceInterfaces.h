// The boundary to the Setup API's device-interface lists: every present interface of one
// interface class, with its device path and the device node it belongs to.
#pragma once

#include <windows.h>
#include <cfgmgr32.h>

#include <string>
#include <vector>

namespace Marlin {

class IDeviceInterfaces {
public:
    struct Entry {
        std::wstring devicePath;  // SP_DEVICE_INTERFACE_DETAIL_DATA_W::DevicePath
        DEVINST devInst = 0;      // SP_DEVINFO_DATA::DevInst; 0 when there is none
        // The device instance ID of devInst, read while the list still exists (a device
        // node handle from a list need not outlive it); empty when devInst is 0 or the
        // ID cannot be read.
        std::wstring deviceId;
    };

    IDeviceInterfaces() = default;
    IDeviceInterfaces(const IDeviceInterfaces&) = delete;
    IDeviceInterfaces& operator=(const IDeviceInterfaces&) = delete;
    virtual ~IDeviceInterfaces() = default;

    // The present interfaces of interfaceClass in the order the system lists them; an
    // interface whose details cannot be read is left out. Empty when there are none or the
    // list cannot be made.
    virtual std::vector<Entry> List(const GUID& interfaceClass) = 0;
};

}  // namespace Marlin
