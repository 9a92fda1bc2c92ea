// One speed sample: either cumulative (copy time and weighted bytes since the copy
// began) or a lap (the difference between two consecutive cumulative samples).
#pragma once

#include <cstdint>

namespace Marlin::Sluice {

class SluiceCoreDisplayStatusLapTime {
public:
    SluiceCoreDisplayStatusLapTime() = default;
    SluiceCoreDisplayStatusLapTime(uint64_t milliseconds, uint64_t bytes);
    virtual ~SluiceCoreDisplayStatusLapTime();
    SluiceCoreDisplayStatusLapTime(const SluiceCoreDisplayStatusLapTime&) = default;
    SluiceCoreDisplayStatusLapTime& operator=(const SluiceCoreDisplayStatusLapTime&) = default;

    bool operator==(const SluiceCoreDisplayStatusLapTime& other) const {
        return milliseconds == other.milliseconds && bytes == other.bytes;
    }
    bool operator!=(const SluiceCoreDisplayStatusLapTime& other) const { return !(*this == other); }

    uint64_t milliseconds = 0;
    uint64_t bytes = 0;
};

}  // namespace Marlin::Sluice
