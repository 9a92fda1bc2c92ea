#include "ElevationProbe.h"

#include <windows.h>

#include "UniqueHandle.h"

namespace Marlin::Sluice {

ElevationProbe::ElevationProbe() = default;

ElevationProbe::ElevationProbe(const Marlin::COSVersion& system) : system_(system) {}

ElevationProbe::~ElevationProbe() = default;

bool ElevationProbe::ReadTokenElevation(uint32_t& elevation) const {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    Marlin::KernelHandle token(raw);
    TOKEN_ELEVATION value{};
    DWORD returned = 0;
    if (!GetTokenInformation(token.get(), TokenElevation, &value, sizeof value, &returned)) return false;
    elevation = value.TokenIsElevated;
    return true;
}

int32_t ElevationProbe::Elevated() const {
    // Older systems have no TokenElevation class at all; do not ask them.
    if (system_.LacksElevation()) return 1;
    uint32_t elevation = 0;
    if (!ReadTokenElevation(elevation)) return 0;
    // The platform documents only zero and non-zero; the dialog wants a flag.
    return elevation != 0 ? 1 : 0;
}

}  // namespace Marlin::Sluice
