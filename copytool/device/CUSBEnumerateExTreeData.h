// One device node of a USB device's node tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Marlin {

class CUSBEnumerateExTreeData {
public:
    CUSBEnumerateExTreeData() = default;
    CUSBEnumerateExTreeData(const CUSBEnumerateExTreeData&) = default;
    CUSBEnumerateExTreeData& operator=(const CUSBEnumerateExTreeData&) = default;
    CUSBEnumerateExTreeData(CUSBEnumerateExTreeData&&) = default;
    CUSBEnumerateExTreeData& operator=(CUSBEnumerateExTreeData&&) = default;
    virtual ~CUSBEnumerateExTreeData() = default;

    uint32_t deviceInstance = 0;  // DEVINST; 0 when there is none
    wchar_t driveLetter = 0;      // the letter of the volume this node is; 0 when none
    std::wstring deviceId;
    std::wstring enumeratorName;             // CM_DRP_ENUMERATOR_NAME
    std::wstring friendlyName;               // CM_DRP_FRIENDLYNAME
    std::wstring description;                // CM_DRP_DEVICEDESC
    std::wstring classGuid;                  // CM_DRP_CLASSGUID
    std::vector<std::wstring> lowerFilters;  // CM_DRP_LOWERFILTERS
    std::vector<std::wstring> upperFilters;  // CM_DRP_UPPERFILTERS
    uint32_t status = 0;                     // CM_Get_DevNode_Status
    uint32_t problem = 0;
};

}  // namespace Marlin
