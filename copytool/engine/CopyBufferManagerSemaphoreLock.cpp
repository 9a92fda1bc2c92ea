#include "CopyBufferManagerSemaphoreLock.h"

#include "WindowsException.h"

namespace Marlin::Sluice {

CopyBufferManagerSemaphoreLock::Hold::Hold(const Quay::KernelHandle& semaphore) {
    if (!semaphore.valid()) return;
    // Only a handle that is no longer a semaphore makes an endless wait fail. Going on
    // without the lock would let both threads into the queue at once.
    if (::WaitForSingleObject(semaphore.get(), INFINITE) != WAIT_OBJECT_0) throw Marlin::WindowsException(::GetLastError());
    semaphore_ = semaphore.get();
}

CopyBufferManagerSemaphoreLock::Hold::~Hold() {
    if (semaphore_ != nullptr) ::ReleaseSemaphore(semaphore_, 1, nullptr);
}

CopyBufferManagerSemaphoreLock::CopyBufferManagerSemaphoreLock(const VirtualAllocater::LockCalls& lockCalls)
    : manager_(lockCalls) {}

// No lock here: nobody else may use an object that is being destroyed. The manager
// destroys its pool, then the semaphore goes.
CopyBufferManagerSemaphoreLock::~CopyBufferManagerSemaphoreLock() = default;

int32_t CopyBufferManagerSemaphoreLock::CreatePool(uint64_t poolSize, uint32_t alignment) {
    const bool madeSemaphore = !semaphore_.valid();
    if (madeSemaphore) {
        semaphore_.reset(::CreateSemaphoreW(nullptr, 1, 1, nullptr));
        if (!semaphore_.valid()) return 0;
    }
    int32_t made = 0;
    {
        Hold hold(semaphore_);
        made = manager_.CreatePool(poolSize, alignment);
    }
    // A second CreatePool fails in the manager; the semaphore then belongs to the pool
    // that already exists.
    if (made == 0 && madeSemaphore) semaphore_.reset();
    return made;
}

void CopyBufferManagerSemaphoreLock::DestroyPool() {
    {
        Hold hold(semaphore_);
        manager_.DestroyPool();
    }
    semaphore_.reset();
}

void* CopyBufferManagerSemaphoreLock::Allocate(uint64_t requestedSize, BufferSpan& span) {
    Hold hold(semaphore_);
    return manager_.Allocate(requestedSize, span);
}

void CopyBufferManagerSemaphoreLock::Free(const BufferSpan& span) {
    Hold hold(semaphore_);
    manager_.Free(span);
}

void CopyBufferManagerSemaphoreLock::PushBack(const FileBufferQueueData& record) {
    Hold hold(semaphore_);
    manager_.PushBack(record);
}

int32_t CopyBufferManagerSemaphoreLock::PopFront(FileBufferQueueData& record) {
    Hold hold(semaphore_);
    return manager_.PopFront(record);
}

void CopyBufferManagerSemaphoreLock::PushFront(const FileBufferQueueData& record) {
    Hold hold(semaphore_);
    manager_.PushFront(record);
}

void CopyBufferManagerSemaphoreLock::RemoveFileBuffers(const std::wstring& path) {
    Hold hold(semaphore_);
    manager_.RemoveFileBuffers(path);
}

uint32_t CopyBufferManagerSemaphoreLock::GetAlignment() const { return manager_.GetAlignment(); }
uint64_t CopyBufferManagerSemaphoreLock::GetPoolSize() const { return manager_.GetPoolSize(); }
uint64_t CopyBufferManagerSemaphoreLock::GetUsedSize() const { return manager_.GetUsedSize(); }
uint64_t CopyBufferManagerSemaphoreLock::GetPeakUsedSize() const { return manager_.GetPeakUsedSize(); }
uint64_t CopyBufferManagerSemaphoreLock::GetFreeSize() const { return manager_.GetFreeSize(); }

size_t CopyBufferManagerSemaphoreLock::GetQueueCount() const {
    Hold hold(semaphore_);
    return manager_.GetQueueCount();
}

size_t CopyBufferManagerSemaphoreLock::GetBufferCount() const {
    Hold hold(semaphore_);
    return manager_.GetBufferCount();
}

void* CopyBufferManagerSemaphoreLock::GetPoolAddress() const { return manager_.GetPoolAddress(); }
bool CopyBufferManagerSemaphoreLock::IsPoolLocked() const { return manager_.IsPoolLocked(); }

}  // namespace Marlin::Sluice
