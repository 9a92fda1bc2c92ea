// How many bytes a string length or a list count takes on the wire. Each message set
// fixes its own width: the peers of the elevation and service pipes are both 64-bit and
// use 8 bytes, while the hand-off pipe has a 32-bit peer and the notice pipe a fixed
// outside format, so both use 4 bytes.
#pragma once

namespace Marlin {

enum class LengthWidth {
    Four = 4,
    Eight = 8,
};

}  // namespace Marlin
