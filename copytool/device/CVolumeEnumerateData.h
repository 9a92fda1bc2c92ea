// One volume that has a drive letter, as the volume enumeration found it.
#pragma once

#include <string>
#include <utility>

namespace Marlin {

class CVolumeEnumerateData {
public:
    CVolumeEnumerateData() = default;
    CVolumeEnumerateData(wchar_t letter, std::wstring name) : driveLetter(letter), volumeName(std::move(name)) {}
    CVolumeEnumerateData(const CVolumeEnumerateData&) = default;
    CVolumeEnumerateData& operator=(const CVolumeEnumerateData&) = default;
    CVolumeEnumerateData(CVolumeEnumerateData&&) = default;
    CVolumeEnumerateData& operator=(CVolumeEnumerateData&&) = default;
    virtual ~CVolumeEnumerateData() = default;

    wchar_t driveLetter = 0;     // upper case, 'A' to 'Y'
    std::wstring volumeName;     // "\\?\Volume{GUID}\"
    std::wstring interfacePath;  // the volume's interface path with a trailing backslash; empty until found
    std::wstring deviceId;       // the volume's device instance ID; empty until found
};

}  // namespace Marlin
