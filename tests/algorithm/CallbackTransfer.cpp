#include "CallbackTransfer.h"

#include <utility>

namespace algotest {

CallbackTransfer::CallbackTransfer(Callback beforeRead, Callback beforeWrite)
    : beforeRead_(std::move(beforeRead)), beforeWrite_(std::move(beforeWrite)) {}

CallbackTransfer::~CallbackTransfer() = default;

BOOL CallbackTransfer::Read(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& transferred) {
    if (const DWORD error = beforeRead_ ? beforeRead_(file, offset, size) : 0) {
        transferred = 0;
        SetLastError(error);
        return FALSE;
    }
    return CopyItemTransfer::Read(file, offset, buffer, size, transferred);
}

BOOL CallbackTransfer::Write(HANDLE file, uint64_t offset, const void* buffer, DWORD size, DWORD& transferred) {
    if (const DWORD error = beforeWrite_ ? beforeWrite_(file, offset, size) : 0) {
        transferred = 0;
        SetLastError(error);
        return FALSE;
    }
    return CopyItemTransfer::Write(file, offset, buffer, size, transferred);
}

}  // namespace algotest
