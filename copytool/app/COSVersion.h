// What the running system is. Filled once at construction; the system asks only
// whether the major version is below 6 (no user-account elevation).
#pragma once

#include <windows.h>

namespace Marlin {

class COSVersion {
public:
    COSVersion();
    virtual ~COSVersion() = default;

    const OSVERSIONINFOEXW& Version() const { return version_; }
    DWORD MajorVersion() const { return version_.dwMajorVersion; }
    // True on systems without user-account elevation (before major version 6).
    bool LacksElevation() const { return version_.dwMajorVersion < 6; }
    BOOL IsWow64() const { return isWow64_; }
    DWORD ProductType() const { return productType_; }
    const SYSTEM_INFO& SystemInfo() const { return systemInfo_; }

protected:
    // Reads the real system as the public constructor does, then presents another version
    // number: the seam through which tests make this system look like one without
    // elevation (major 5). A test class that derives only for this constructor adds no
    // fields, so copying it into a holder that keeps a COSVersion by value keeps the
    // presented version.
    COSVersion(DWORD majorVersion, DWORD minorVersion);

    OSVERSIONINFOEXW version_{};
    BOOL isWow64_ = FALSE;
    DWORD productType_ = 0;
    SYSTEM_INFO systemInfo_{};
};

}  // namespace Marlin
