// Whether this process already has administrator rights, as the retry question records
// it. The token query is virtual so that tests can present a token without elevation,
// which the test machine cannot produce; the system is given as a COSVersion, whose own
// seam presents older systems.
#pragma once

#include <cstdint>

#include "COSVersion.h"

namespace Marlin::Sluice {

class ElevationProbe {
public:
    ElevationProbe();  // this system
    explicit ElevationProbe(const Marlin::COSVersion& system);
    virtual ~ElevationProbe();

    // The TokenElevation value of this process's token; false when it cannot be read.
    virtual bool ReadTokenElevation(uint32_t& elevation) const;

    // 1 when asking for administrator rights would gain nothing, else 0. A system
    // without user-account elevation gives every process all of its user's rights; a
    // token that cannot be read counts as not elevated, so elevation stays on offer.
    int32_t Elevated() const;

private:
    Marlin::COSVersion system_;
};

}  // namespace Marlin::Sluice
