#include "SluiceExceptionNotFreeSpace.h"

namespace Marlin::Sluice {

SluiceExceptionNotFreeSpace::SluiceExceptionNotFreeSpace() : SluiceException(NotFreeSpace) {}

SluiceExceptionNotFreeSpace::SluiceExceptionNotFreeSpace(uint64_t shortfall)
    : SluiceException(NotFreeSpace), shortfall(shortfall) {}

SluiceExceptionNotFreeSpace::~SluiceExceptionNotFreeSpace() = default;

}  // namespace Marlin::Sluice
