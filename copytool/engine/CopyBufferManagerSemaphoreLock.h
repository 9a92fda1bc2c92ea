// The buffer pool shared by the reader and the writer thread: CopyBufferManager with its
// lock hook filled in. Every operation that changes or walks the queue or the allocator
// runs while holding the pool's lock, a semaphore of maximum count 1 used as a mutex. The
// size getters stay unlocked; they are hints (see ICopyBufferManager).
//
// The reader and the writer take the lock several times per file, each time for well
// under a microsecond, and almost never at the same moment. A wait on a semaphore and
// its release are two calls into the system (on Wine two round trips to the server,
// tens of microseconds each) even when nobody else wants it, so the lock counts its
// holders and waiters in user memory first (the classic benaphore): an uncontended take
// and give back touch only that counter, and only a thread that finds the lock taken
// sleeps on the semaphore, which the holder then releases for it. The semaphore is
// therefore made with count 0: the lock's free state lives in the counter. A thread that
// finds the lock taken spins briefly first, as the holder is about to give it back.
//
// The semaphore exists from CreatePool to DestroyPool. Outside that span only the
// thread that sets the run up touches the manager, and operations run without it.
#pragma once

#include <atomic>
#include <cstdint>

#include "CopyBufferManager.h"
#include "UniqueHandle.h"

namespace Marlin::Sluice {

class CopyBufferManagerSemaphoreLock : public CopyBufferManager {
public:
    explicit CopyBufferManagerSemaphoreLock(
        const VirtualAllocater::LockCalls& lockCalls = VirtualAllocater::SystemLockCalls());
    ~CopyBufferManagerSemaphoreLock() override;

    CopyBufferManagerSemaphoreLock(const CopyBufferManagerSemaphoreLock&) = delete;
    CopyBufferManagerSemaphoreLock& operator=(const CopyBufferManagerSemaphoreLock&) = delete;

    // Makes the semaphore first (and closes it again when the pool is not made).
    int32_t CreatePool(uint64_t poolSize, uint32_t alignment) override;
    // Closes the semaphore once the pool is gone.
    void DestroyPool() override;

protected:
    // Throws WindowsException when the wait for the semaphore fails.
    void Lock() const override;
    void Unlock() const override;

private:
    Marlin::KernelHandle semaphore_;
    // Threads that hold the lock or wait for it: 0 = free.
    mutable std::atomic<int32_t> contenders_{0};
};

}  // namespace Marlin::Sluice
