// The running system as it is, but presenting another version number, so that a test can
// see what the option creator does on a system without user-account elevation.
#pragma once

#include <windows.h>

#include "COSVersion.h"

namespace optiontest {

class TestOsVersion : public Marlin::COSVersion {
public:
    explicit TestOsVersion(DWORD majorVersion, DWORD minorVersion = 0);
    ~TestOsVersion() override;
};

}  // namespace optiontest
