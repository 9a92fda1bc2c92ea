#include "TestPool.h"

#include "TestHarness.h"

namespace rwtest {

using Marlin::Sluice::FileBufferQueueData;

TestPool::TestPool(uint64_t size, uint32_t alignment) { REQUIRE_EQ(manager_.CreatePool(size, alignment), 1); }

TestPool::~TestPool() { manager_.DestroyPool(); }

std::vector<FileBufferQueueData> TestPool::Records() {
    std::vector<FileBufferQueueData> records;
    FileBufferQueueData record;
    while (manager_.PopFront(record)) records.push_back(record);
    for (const auto& r : records) manager_.PushBack(r);
    return records;
}

}  // namespace rwtest
