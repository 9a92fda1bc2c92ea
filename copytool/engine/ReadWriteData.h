// One set of progress counters of a job: how much there is, and how much of it the
// reader and the writer have got through.
#pragma once

#include <cstdint>

namespace Marlin::Sluice {

class ReadWriteData {
public:
    ReadWriteData() = default;
    ReadWriteData(uint64_t total, uint64_t read, uint64_t written);
    virtual ~ReadWriteData();
    ReadWriteData(const ReadWriteData&) = default;
    ReadWriteData& operator=(const ReadWriteData&) = default;

    uint64_t total = 0;
    uint64_t read = 0;
    uint64_t written = 0;
};

}  // namespace Marlin::Sluice
