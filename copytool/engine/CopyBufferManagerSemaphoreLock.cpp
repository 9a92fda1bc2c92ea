#include "CopyBufferManagerSemaphoreLock.h"

#include <utility>

#include "WindowsException.h"

namespace Marlin::Sluice {

namespace {

// Turns a thread that finds the lock taken makes before it goes to sleep: a few
// microseconds, more than the longest operation under the lock takes. The later turns
// give the processor away, for a holder that was interrupted on this very processor.
constexpr int kSpins = 200;
constexpr int kYieldingSpins = 8;

}  // namespace

CopyBufferManagerSemaphoreLock::Hold::Hold(const CopyBufferManagerSemaphoreLock& owner) {
    if (!owner.semaphore_.valid()) return;
    std::atomic<int32_t>& contenders = owner.contenders_;
    for (int i = 0; i < kSpins + kYieldingSpins; ++i) {
        int32_t unlocked = 0;
        if (contenders.load(std::memory_order_relaxed) == 0 &&
            contenders.compare_exchange_weak(unlocked, 1, std::memory_order_acquire, std::memory_order_relaxed)) {
            owner_ = &owner;
            return;
        }
        if (i < kSpins)
            YieldProcessor();
        else
            ::SwitchToThread();
    }
    // Counted as a waiter from here on: the holder's release hands the semaphore over.
    if (contenders.fetch_add(1, std::memory_order_acq_rel) != 0) {
        // Only a handle that is no longer a semaphore makes an endless wait fail. Going on
        // without the lock would let both threads into the queue at once.
        if (::WaitForSingleObject(owner.semaphore_.get(), INFINITE) != WAIT_OBJECT_0) {
            const DWORD error = ::GetLastError();
            contenders.fetch_sub(1, std::memory_order_acq_rel);
            throw Marlin::WindowsException(error);
        }
    }
    owner_ = &owner;
}

CopyBufferManagerSemaphoreLock::Hold::~Hold() {
    if (owner_ == nullptr) return;
    // Someone counted after this holder is waiting, or about to wait, on the semaphore.
    if (owner_->contenders_.fetch_sub(1, std::memory_order_acq_rel) > 1)
        ::ReleaseSemaphore(owner_->semaphore_.get(), 1, nullptr);
}

CopyBufferManagerSemaphoreLock::CopyBufferManagerSemaphoreLock(const VirtualAllocater::LockCalls& lockCalls)
    : manager_(lockCalls) {}

// No lock here: nobody else may use an object that is being destroyed. The manager
// destroys its pool, then the semaphore goes.
CopyBufferManagerSemaphoreLock::~CopyBufferManagerSemaphoreLock() = default;

int32_t CopyBufferManagerSemaphoreLock::CreatePool(uint64_t poolSize, uint32_t alignment) {
    const bool madeSemaphore = !semaphore_.valid();
    if (madeSemaphore) {
        // Count 0: the lock starts free in contenders_, and the semaphore only carries
        // hand-overs to a waiting thread.
        contenders_.store(0, std::memory_order_relaxed);
        semaphore_.reset(::CreateSemaphoreW(nullptr, 0, 1, nullptr));
        if (!semaphore_.valid()) return 0;
    }
    int32_t made = 0;
    {
        Hold hold(*this);
        made = manager_.CreatePool(poolSize, alignment);
    }
    // A second CreatePool fails in the manager; the semaphore then belongs to the pool
    // that already exists.
    if (made == 0 && madeSemaphore) semaphore_.reset();
    return made;
}

void CopyBufferManagerSemaphoreLock::DestroyPool() {
    {
        Hold hold(*this);
        manager_.DestroyPool();
    }
    semaphore_.reset();
}

void* CopyBufferManagerSemaphoreLock::Allocate(uint64_t requestedSize, BufferSpan& span) {
    Hold hold(*this);
    return manager_.Allocate(requestedSize, span);
}

void CopyBufferManagerSemaphoreLock::Free(const BufferSpan& span) {
    Hold hold(*this);
    manager_.Free(span);
}

void CopyBufferManagerSemaphoreLock::PushBack(const FileBufferQueueData& record) {
    // The copy of the path may reach the heap; the other thread need not wait for that.
    FileBufferQueueData copy(record);
    Hold hold(*this);
    manager_.PushBack(std::move(copy));
}

int32_t CopyBufferManagerSemaphoreLock::PopFront(FileBufferQueueData& record) {
    Hold hold(*this);
    return manager_.PopFront(record);
}

void CopyBufferManagerSemaphoreLock::PushFront(const FileBufferQueueData& record) {
    FileBufferQueueData copy(record);
    Hold hold(*this);
    manager_.PushFront(std::move(copy));
}

void CopyBufferManagerSemaphoreLock::RemoveFileBuffers(const std::wstring& path, FileBufferQueueData::ItemKey item) {
    Hold hold(*this);
    manager_.RemoveFileBuffers(path, item);
}

uint32_t CopyBufferManagerSemaphoreLock::GetAlignment() const { return manager_.GetAlignment(); }
uint64_t CopyBufferManagerSemaphoreLock::GetPoolSize() const { return manager_.GetPoolSize(); }
uint64_t CopyBufferManagerSemaphoreLock::GetUsedSize() const { return manager_.GetUsedSize(); }
uint64_t CopyBufferManagerSemaphoreLock::GetPeakUsedSize() const { return manager_.GetPeakUsedSize(); }
uint64_t CopyBufferManagerSemaphoreLock::GetFreeSize() const { return manager_.GetFreeSize(); }

size_t CopyBufferManagerSemaphoreLock::GetQueueCount() const {
    Hold hold(*this);
    return manager_.GetQueueCount();
}

size_t CopyBufferManagerSemaphoreLock::GetBufferCount() const {
    Hold hold(*this);
    return manager_.GetBufferCount();
}

void* CopyBufferManagerSemaphoreLock::GetPoolAddress() const { return manager_.GetPoolAddress(); }
bool CopyBufferManagerSemaphoreLock::IsPoolLocked() const { return manager_.IsPoolLocked(); }

}  // namespace Marlin::Sluice
