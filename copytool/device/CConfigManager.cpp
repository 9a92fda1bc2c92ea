#include "CConfigManager.h"

namespace Marlin {

CConfigManager::~CConfigManager() = default;

CONFIGRET CConfigManager::LocateDevNode(DEVINST* node, const wchar_t* deviceId) {
    // The function does not write the ID; its prototype merely lacks the const.
    return CM_Locate_DevNodeW(node, const_cast<wchar_t*>(deviceId), CM_LOCATE_DEVNODE_NORMAL);
}

CONFIGRET CConfigManager::GetChild(DEVINST* child, DEVINST node) { return CM_Get_Child(child, node, 0); }

CONFIGRET CConfigManager::GetSibling(DEVINST* sibling, DEVINST node) { return CM_Get_Sibling(sibling, node, 0); }

CONFIGRET CConfigManager::GetParent(DEVINST* parent, DEVINST node) { return CM_Get_Parent(parent, node, 0); }

CONFIGRET CConfigManager::GetDeviceId(DEVINST node, wchar_t* buffer, ULONG bufferChars) {
    return CM_Get_Device_IDW(node, buffer, bufferChars, 0);
}

CONFIGRET CConfigManager::GetRegistryProperty(DEVINST node, ULONG property, ULONG* type, void* buffer, ULONG* length) {
    return CM_Get_DevNode_Registry_PropertyW(node, property, type, buffer, length, 0);
}

CONFIGRET CConfigManager::GetStatus(ULONG* status, ULONG* problem, DEVINST node) {
    return CM_Get_DevNode_Status(status, problem, node, 0);
}

CONFIGRET CConfigManager::GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) {
    return CM_Get_Device_ID_List_SizeW(chars, filter, flags);
}

CONFIGRET CConfigManager::GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG bufferChars, ULONG flags) {
    return CM_Get_Device_ID_ListW(filter, buffer, bufferChars, flags);
}

}  // namespace Marlin
