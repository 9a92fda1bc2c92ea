// The buffer pool shared by the reader and the writer thread: every operation that
// changes or walks the queue or the allocator runs while holding a semaphore of count 1.
// The size getters stay unlocked; they are hints (see ICopyBufferManager).
//
// The semaphore exists from CreatePool to DestroyPool. Outside that span only the
// thread that sets the run up touches the manager, and operations run without it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "CopyBufferManager.h"
#include "KernelHandle.h"

namespace Marlin::Sluice {

class CopyBufferManagerSemaphoreLock : public ICopyBufferManager {
public:
    explicit CopyBufferManagerSemaphoreLock(
        const VirtualAllocater::LockCalls& lockCalls = VirtualAllocater::SystemLockCalls());
    ~CopyBufferManagerSemaphoreLock() override;

    CopyBufferManagerSemaphoreLock(const CopyBufferManagerSemaphoreLock&) = delete;
    CopyBufferManagerSemaphoreLock& operator=(const CopyBufferManagerSemaphoreLock&) = delete;

    int32_t CreatePool(uint64_t poolSize, uint32_t alignment) override;
    void DestroyPool() override;
    void* Allocate(uint64_t requestedSize, BufferSpan& span) override;
    void Free(const BufferSpan& span) override;
    void PushBack(const FileBufferQueueData& record) override;
    int32_t PopFront(FileBufferQueueData& record) override;
    void PushFront(const FileBufferQueueData& record) override;
    void RemoveFileBuffers(const std::wstring& path) override;
    uint32_t GetAlignment() const override;
    uint64_t GetPoolSize() const override;
    uint64_t GetUsedSize() const override;
    uint64_t GetPeakUsedSize() const override;
    uint64_t GetFreeSize() const override;
    size_t GetQueueCount() const override;
    size_t GetBufferCount() const override;

    void* GetPoolAddress() const;
    bool IsPoolLocked() const;

private:
    // Holds the semaphore for one operation, and gives it back on every way out.
    class Hold {
    public:
        explicit Hold(const Quay::KernelHandle& semaphore);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        HANDLE semaphore_ = nullptr;
    };

    CopyBufferManager manager_;
    Quay::KernelHandle semaphore_;
};

}  // namespace Marlin::Sluice
