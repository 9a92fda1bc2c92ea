#include "ReadWriteData.h"

namespace Marlin::Sluice {

ReadWriteData::ReadWriteData(uint64_t total, uint64_t read, uint64_t written)
    : total(total), read(read), written(written) {}

ReadWriteData::~ReadWriteData() = default;

}  // namespace Marlin::Sluice
