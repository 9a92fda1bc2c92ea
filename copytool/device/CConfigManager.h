// The real configuration manager behind IConfigManager (cfgmgr32).
#pragma once

#include "IConfigManager.h"

namespace Marlin {

class CConfigManager : public IConfigManager {
public:
    CConfigManager() = default;
    ~CConfigManager() override;

    CONFIGRET LocateDevNode(DEVINST* node, const wchar_t* deviceId) override;
    CONFIGRET GetChild(DEVINST* child, DEVINST node) override;
    CONFIGRET GetSibling(DEVINST* sibling, DEVINST node) override;
    CONFIGRET GetParent(DEVINST* parent, DEVINST node) override;
    CONFIGRET GetDeviceId(DEVINST node, wchar_t* buffer, ULONG bufferChars) override;
    CONFIGRET GetRegistryProperty(DEVINST node, ULONG property, ULONG* type, void* buffer, ULONG* length) override;
    CONFIGRET GetStatus(ULONG* status, ULONG* problem, DEVINST node) override;
    CONFIGRET GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) override;
    CONFIGRET GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG bufferChars, ULONG flags) override;
};

}  // namespace Marlin
