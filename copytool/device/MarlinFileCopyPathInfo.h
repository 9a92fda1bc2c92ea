// What is known about one path of a job: whether its drive lies on a connected USB
// device, and that device's record when it does.
#pragma once

#include <cstdint>
#include <string>

#include "CUSBEnumerateExData.h"

namespace Marlin {

class MarlinFileCopyPathInfo {
public:
    MarlinFileCopyPathInfo() = default;
    MarlinFileCopyPathInfo(const MarlinFileCopyPathInfo&) = default;
    MarlinFileCopyPathInfo& operator=(const MarlinFileCopyPathInfo&) = default;
    MarlinFileCopyPathInfo(MarlinFileCopyPathInfo&&) = default;
    MarlinFileCopyPathInfo& operator=(MarlinFileCopyPathInfo&&) = default;
    virtual ~MarlinFileCopyPathInfo();

    // The path's first character when it is an ASCII letter, as written (no case change);
    // 0 for anything else, a UNC path or an empty path among them.
    wchar_t GetDriveLetter() const;

    std::wstring path;
    int32_t usbAttached = 0;             // 1 when the drive belongs to a connected USB device
    Marlin::CUSBEnumerateExData device;  // that device when usbAttached is 1, else empty
};

}  // namespace Marlin
