// The buffer pool of one copy run: the pool memory, the first-fit allocator inside it and
// the record queue. Every operation that changes or walks the queue or the allocator runs
// inside the lock hook (Lock, Unlock), which does nothing here: a pool that one thread
// uses needs no lock. CopyBufferManagerSemaphoreLock supplies the lock the reader and the
// writer thread share.
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
    // The record is copied before the lock is taken: the copy of its path may reach the
    // heap, and the other thread need not wait for that.
    void PushBack(const FileBufferQueueData& record) override;
    int32_t PopFront(FileBufferQueueData& record) override;
    void PushFront(const FileBufferQueueData& record) override;
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

protected:
    // Taken around every locked operation and given back on every way out of it; Lock may
    // throw, and then the operation does not run. Calls during construction and
    // destruction reach this class's own (empty) hook.
    virtual void Lock() const {}
    virtual void Unlock() const {}

private:
    class Held;

    VirtualAllocater memory_;
    BufferManager buffers_;
    std::deque<FileBufferQueueData> queue_;
    std::atomic<uint64_t> peakUsedSize_{0};
};

}  // namespace Marlin::Sluice
