// Field-by-field comparison of two display statuses (all but the exception, which each
// test compares in its own way), for the tests that copy or carry them.
#pragma once

#include <utility>

#include "SluiceCoreDisplayStatus.h"
#include "TestHarness.h"

namespace displaystatustest {

inline void CheckSameDisplayStatus(const Marlin::Sluice::SluiceCoreDisplayStatus& a,
                                   const Marlin::Sluice::SluiceCoreDisplayStatus& b) {
    CHECK_EQ(a.totalElapsedMs, b.totalElapsedMs);
    CHECK_EQ(a.copyElapsedMs, b.copyElapsedMs);
    for (auto [x, y] : {std::pair{&a.byteCounts, &b.byteCounts}, std::pair{&a.weightedByteCounts, &b.weightedByteCounts},
                        std::pair{&a.itemCounts, &b.itemCounts}}) {
        CHECK_EQ(x->total, y->total);
        CHECK_EQ(x->read, y->read);
        CHECK_EQ(x->written, y->written);
    }
    CHECK_EQ(a.sourceFolder, b.sourceFolder);
    CHECK_EQ(a.destinationFolder, b.destinationFolder);
    CHECK_EQ(a.readingPath, b.readingPath);
    CHECK_EQ(a.writingPath, b.writingPath);
    CHECK(a.lastRead == b.lastRead);
    CHECK(a.lastWrite == b.lastWrite);
    CHECK(a.readLaps == b.readLaps);
    CHECK(a.writeLaps == b.writeLaps);
    CHECK(a.readTotals == b.readTotals);
    CHECK(a.writeTotals == b.writeTotals);
}

}  // namespace displaystatustest
