#include "CopyItemTransfer.h"

namespace Marlin::Sluice {

namespace {

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

}  // namespace

CopyItemTransfer::~CopyItemTransfer() = default;

BOOL CopyItemTransfer::Read(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& transferred) {
    OVERLAPPED position = At(offset);
    transferred = 0;
    return ::ReadFile(file, buffer, size, &transferred, &position);
}

BOOL CopyItemTransfer::Write(HANDLE file, uint64_t offset, const void* buffer, DWORD size, DWORD& transferred) {
    OVERLAPPED position = At(offset);
    transferred = 0;
    return ::WriteFile(file, buffer, size, &transferred, &position);
}

CopyItemTransfer& CopyItemTransfer::System() {
    static CopyItemTransfer system;
    return system;
}

}  // namespace Marlin::Sluice
