#include "SluiceCoreDisplayStatusLapTime.h"

namespace Marlin::Sluice {

SluiceCoreDisplayStatusLapTime::SluiceCoreDisplayStatusLapTime(uint64_t milliseconds, uint64_t bytes)
    : milliseconds(milliseconds), bytes(bytes) {}

SluiceCoreDisplayStatusLapTime::~SluiceCoreDisplayStatusLapTime() = default;

}  // namespace Marlin::Sluice
