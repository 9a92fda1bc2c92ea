// The buffer pool of one copy run without any locking: the pool memory, the first-fit
// allocator inside it and the record queue. Use CopyBufferManagerSemaphoreLock when two
// threads share it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "BufferManager.h"
#include "ICopyBufferManager.h"
#include "VirtualAllocater.h"

namespace Marlin::Sluice {

class CopyBufferManager : public ICopyBufferManager {
public:
    explicit CopyBufferManager(const VirtualAllocater::LockCalls& lockCalls = VirtualAllocater::SystemLockCalls());
    ~CopyBufferManager() override;

    CopyBufferManager(const CopyBufferManager&) = delete;
    CopyBufferManager& operator=(const CopyBufferManager&) = delete;

    // Fails only when a pool exists already or its memory cannot be reserved or
    // committed; a pool that cannot be locked is made unlocked (IsPoolLocked).
    int32_t CreatePool(uint64_t poolSize, uint32_t alignment) override;
    void DestroyPool() override;
    void* Allocate(uint64_t requestedSize, BufferSpan& span) override;
    void Free(const BufferSpan& span) override;
    void PushBack(const FileBufferQueueData& record) override;
    // The same, taking over a copy made beforehand (the locking wrapper copies the path
    // before it takes its lock).
    void PushBack(FileBufferQueueData&& record);
    int32_t PopFront(FileBufferQueueData& record) override;
    void PushFront(const FileBufferQueueData& record) override;
    void PushFront(FileBufferQueueData&& record);
    void RemoveFileBuffers(const std::wstring& path, FileBufferQueueData::ItemKey item = nullptr) override;
    uint32_t GetAlignment() const override;
    uint64_t GetPoolSize() const override;
    uint64_t GetUsedSize() const override;
    uint64_t GetPeakUsedSize() const override;
    uint64_t GetFreeSize() const override;
    size_t GetQueueCount() const override;
    size_t GetBufferCount() const override;

    // Start of the pool, null without one.
    void* GetPoolAddress() const;
    // Whether the pool memory is locked in physical memory.
    bool IsPoolLocked() const;

private:
    VirtualAllocater memory_;
    BufferManager buffers_;
    std::deque<FileBufferQueueData> queue_;
    std::atomic<uint64_t> peakUsedSize_{0};
};

}  // namespace Marlin::Sluice
