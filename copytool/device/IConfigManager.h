// The boundary to the configuration manager: the device-node tree and each node's
// registry properties and status. Each operation mirrors the CM_ function of the same
// name (flags 0 unless a parameter says otherwise), so the enumerator keeps every buffer
// decision on its own side of the boundary and a scripted machine can answer instead.
#pragma once

#include <windows.h>
#include <cfgmgr32.h>

namespace Marlin {

class IConfigManager {
public:
    IConfigManager() = default;
    IConfigManager(const IConfigManager&) = delete;
    IConfigManager& operator=(const IConfigManager&) = delete;
    virtual ~IConfigManager() = default;

    // CM_Locate_DevNodeW with CM_LOCATE_DEVNODE_NORMAL; deviceId null names the root node.
    virtual CONFIGRET LocateDevNode(DEVINST* node, const wchar_t* deviceId) = 0;
    virtual CONFIGRET GetChild(DEVINST* child, DEVINST node) = 0;
    virtual CONFIGRET GetSibling(DEVINST* sibling, DEVINST node) = 0;
    virtual CONFIGRET GetParent(DEVINST* parent, DEVINST node) = 0;
    // bufferChars counts wide characters, the terminator included.
    virtual CONFIGRET GetDeviceId(DEVINST node, wchar_t* buffer, ULONG bufferChars) = 0;
    // CM_Get_DevNode_Registry_PropertyW: length is the buffer's size in bytes on the way in
    // and the value's size on the way out (also with CR_BUFFER_SMALL).
    virtual CONFIGRET GetRegistryProperty(DEVINST node, ULONG property, ULONG* type, void* buffer, ULONG* length) = 0;
    virtual CONFIGRET GetStatus(ULONG* status, ULONG* problem, DEVINST node) = 0;
    // chars counts wide characters of the whole multi-string, both terminators included.
    virtual CONFIGRET GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) = 0;
    virtual CONFIGRET GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG bufferChars, ULONG flags) = 0;
};

}  // namespace Marlin
