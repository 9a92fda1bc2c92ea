// Owner of the copy's buffer pool memory: one region reserved and committed read-write,
// and, when asked and possible, locked in physical memory with the process working set
// enlarged by the region's size so that the lock fits in it.
//
// The lock is an optimisation (unbuffered transfers from the pool never page), not a
// precondition: when the working set cannot be raised or the lock is refused, the
// region is kept unlocked. Only a failed reservation or commit fails Allocate.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Marlin::Sluice {

class VirtualAllocater {
public:
    // The calls of the locking step. Tests replace them to make the step fail, which a
    // process running with the rights to lock memory cannot otherwise provoke.
    struct LockCalls {
        BOOL(WINAPI* getWorkingSetSize)(HANDLE process, PSIZE_T minimum, PSIZE_T maximum);
        BOOL(WINAPI* setWorkingSetSize)(HANDLE process, SIZE_T minimum, SIZE_T maximum);
        BOOL(WINAPI* lock)(LPVOID address, SIZE_T size);
        BOOL(WINAPI* unlock)(LPVOID address, SIZE_T size);
    };
    static LockCalls SystemLockCalls();

    explicit VirtualAllocater(const LockCalls& calls = SystemLockCalls());
    virtual ~VirtualAllocater();

    VirtualAllocater(const VirtualAllocater&) = delete;
    VirtualAllocater& operator=(const VirtualAllocater&) = delete;

    // Reserves and commits size bytes (page-aligned by the system); with lock, also tries
    // to lock them. Fails when a region is held already, for size 0, for a size beyond
    // the address space, or when the reservation or the commit fails; then nothing is
    // held and GetLastError tells the cause of a failed system call.
    bool Allocate(uint64_t size, bool lock);
    // Unlocks, restores the working set, decommits and releases, in that order. A step
    // that fails stops the release and leaves the rest held; a later call resumes there.
    void Release();

    bool IsAllocated() const { return reservedBase_ != nullptr; }
    void* GetAddress() const { return committedBase_; }
    uint64_t GetSize() const { return size_; }
    bool IsLocked() const { return locked_; }
    bool IsWorkingSetRaised() const { return workingSetRaised_; }

private:
    bool RaiseWorkingSet(SIZE_T size);
    void RestoreWorkingSet();

    LockCalls calls_;
    void* reservedBase_ = nullptr;
    void* committedBase_ = nullptr;
    uint64_t size_ = 0;
    bool locked_ = false;
    bool workingSetRaised_ = false;
    SIZE_T savedMinimum_ = 0;
    SIZE_T savedMaximum_ = 0;
};

}  // namespace Marlin::Sluice
