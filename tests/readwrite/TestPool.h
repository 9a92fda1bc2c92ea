// A buffer pool made for one test, destroyed with it.
#pragma once

#include <cstdint>
#include <vector>

#include "CopyBufferManager.h"

namespace rwtest {

class TestPool {
public:
    TestPool(uint64_t size, uint32_t alignment);
    ~TestPool();
    TestPool(const TestPool&) = delete;
    TestPool& operator=(const TestPool&) = delete;

    Marlin::Sluice::CopyBufferManager* get() { return &manager_; }
    Marlin::Sluice::CopyBufferManager* operator->() { return &manager_; }

    // The queued records from front to back; the queue is left as it was.
    std::vector<Marlin::Sluice::FileBufferQueueData> Records();

private:
    Marlin::Sluice::CopyBufferManager manager_;
};

}  // namespace rwtest
