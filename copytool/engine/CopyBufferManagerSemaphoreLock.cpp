#include "CopyBufferManagerSemaphoreLock.h"

#include "WindowsException.h"

namespace Marlin::Sluice {

namespace {

// Turns a thread that finds the lock taken makes before it goes to sleep: a few
// microseconds, more than the longest operation under the lock takes. The later turns
// give the processor away, for a holder that was interrupted on this very processor.
constexpr int kSpins = 200;
constexpr int kYieldingSpins = 8;

}  // namespace

void CopyBufferManagerSemaphoreLock::Lock() const {
    if (!semaphore_.valid()) return;
    for (int i = 0; i < kSpins + kYieldingSpins; ++i) {
        int32_t unlocked = 0;
        if (contenders_.load(std::memory_order_relaxed) == 0 &&
            contenders_.compare_exchange_weak(unlocked, 1, std::memory_order_acquire, std::memory_order_relaxed))
            return;
        if (i < kSpins)
            YieldProcessor();
        else
            ::SwitchToThread();
    }
    // Counted as a waiter from here on: the holder's release hands the semaphore over.
    if (contenders_.fetch_add(1, std::memory_order_acq_rel) != 0) {
        // Only a handle that is no longer a semaphore makes an endless wait fail. Going on
        // without the lock would let both threads into the queue at once.
        if (::WaitForSingleObject(semaphore_.get(), INFINITE) != WAIT_OBJECT_0) {
            const DWORD error = ::GetLastError();
            contenders_.fetch_sub(1, std::memory_order_acq_rel);
            throw Marlin::WindowsException(error);
        }
    }
}

void CopyBufferManagerSemaphoreLock::Unlock() const {
    if (!semaphore_.valid()) return;
    // Someone counted after this holder is waiting, or about to wait, on the semaphore.
    if (contenders_.fetch_sub(1, std::memory_order_acq_rel) > 1) ::ReleaseSemaphore(semaphore_.get(), 1, nullptr);
}

CopyBufferManagerSemaphoreLock::CopyBufferManagerSemaphoreLock(const VirtualAllocater::LockCalls& lockCalls)
    : CopyBufferManager(lockCalls) {}

// Nobody else may use an object that is being destroyed: the pool goes without the lock
// (the base destroys it after the semaphore is closed).
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
    const int32_t made = CopyBufferManager::CreatePool(poolSize, alignment);
    // A second CreatePool fails in the manager; the semaphore then belongs to the pool
    // that already exists.
    if (made == 0 && madeSemaphore) semaphore_.reset();
    return made;
}

void CopyBufferManagerSemaphoreLock::DestroyPool() {
    CopyBufferManager::DestroyPool();
    semaphore_.reset();
}

}  // namespace Marlin::Sluice
