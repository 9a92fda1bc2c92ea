#include "TestOsVersion.h"

namespace optiontest {

TestOsVersion::TestOsVersion(DWORD majorVersion, DWORD minorVersion) : COSVersion(majorVersion, minorVersion) {}

TestOsVersion::~TestOsVersion() = default;

}  // namespace optiontest
