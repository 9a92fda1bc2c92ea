#include "VirtualAllocater.h"

#include <limits>

namespace Marlin::Sluice {

VirtualAllocater::LockCalls VirtualAllocater::SystemLockCalls() {
    return LockCalls{&::GetProcessWorkingSetSize, &::SetProcessWorkingSetSize, &::VirtualLock, &::VirtualUnlock};
}

VirtualAllocater::VirtualAllocater(const LockCalls& calls) : calls_(calls) {}

VirtualAllocater::~VirtualAllocater() { Release(); }

bool VirtualAllocater::Allocate(uint64_t size, bool lock) {
    if (IsAllocated() || size == 0) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // A 32-bit process must not truncate the size: the allocator would hand out
    // buffers beyond the region.
    const auto bytes = static_cast<SIZE_T>(size);
    if (static_cast<uint64_t>(bytes) != size) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }

    // The working set goes first: the lock can only hold as many pages as its minimum.
    const bool canLock = lock && RaiseWorkingSet(bytes);

    reservedBase_ = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE, PAGE_NOACCESS);
    if (reservedBase_ == nullptr) {
        const DWORD error = ::GetLastError();
        RestoreWorkingSet();
        ::SetLastError(error);
        return false;
    }
    size_ = size;
    committedBase_ = ::VirtualAlloc(reservedBase_, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (committedBase_ == nullptr) {
        const DWORD error = ::GetLastError();
        Release();
        ::SetLastError(error);
        return false;
    }

    if (canLock) {
        if (calls_.lock(committedBase_, bytes)) {
            locked_ = true;
        } else {
            // The larger working set was only there for the lock.
            RestoreWorkingSet();
        }
    }
    return true;
}

void VirtualAllocater::Release() {
    const auto bytes = static_cast<SIZE_T>(size_);
    if (locked_) {
        if (!calls_.unlock(committedBase_, bytes)) return;
        locked_ = false;
    }
    RestoreWorkingSet();
    if (committedBase_ != nullptr) {
        if (!::VirtualFree(committedBase_, bytes, MEM_DECOMMIT)) return;
        committedBase_ = nullptr;
    }
    if (reservedBase_ != nullptr) {
        if (!::VirtualFree(reservedBase_, 0, MEM_RELEASE)) return;
        reservedBase_ = nullptr;
    }
    size_ = 0;
}

bool VirtualAllocater::RaiseWorkingSet(SIZE_T size) {
    const HANDLE process = ::GetCurrentProcess();
    SIZE_T minimum = 0;
    SIZE_T maximum = 0;
    if (!calls_.getWorkingSetSize(process, &minimum, &maximum)) return false;
    constexpr SIZE_T most = std::numeric_limits<SIZE_T>::max();
    if (minimum > most - size || maximum > most - size) return false;
    if (!calls_.setWorkingSetSize(process, minimum + size, maximum + size)) return false;
    savedMinimum_ = minimum;
    savedMaximum_ = maximum;
    workingSetRaised_ = true;
    return true;
}

void VirtualAllocater::RestoreWorkingSet() {
    if (!workingSetRaised_) return;
    // A failed restore is not retried: the limits are only a quota, and the memory that
    // needed them is unlocked by now.
    calls_.setWorkingSetSize(::GetCurrentProcess(), savedMinimum_, savedMaximum_);
    workingSetRaised_ = false;
    savedMinimum_ = 0;
    savedMaximum_ = 0;
}

}  // namespace Marlin::Sluice
