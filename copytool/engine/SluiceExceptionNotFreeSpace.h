// The destination lacks room for the whole job; raised before any file is touched.
#pragma once

#include <cstdint>

#include "SluiceException.h"

namespace Marlin::Sluice {

class SluiceExceptionNotFreeSpace : public SluiceException {
public:
    SluiceExceptionNotFreeSpace();
    explicit SluiceExceptionNotFreeSpace(uint64_t shortfall);
    ~SluiceExceptionNotFreeSpace() override;

    uint64_t shortfall = 0;  // bytes missing at the destination
};

}  // namespace Marlin::Sluice
