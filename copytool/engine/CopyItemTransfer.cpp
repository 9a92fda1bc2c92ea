#include "CopyItemTransfer.h"

#include "Volumes.h"

namespace Marlin::Sluice {

namespace {

// The largest file a FAT volume holds: its size field has 32 bits.
constexpr uint64_t kFatLargestFile = 0xFFFFFFFFull;

BOOL MoveTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN);
}

}  // namespace

CopyItemTransfer::~CopyItemTransfer() = default;

BOOL CopyItemTransfer::Read(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& transferred) {
    transferred = 0;
    if (!MoveTo(file, offset) || !::ReadFile(file, buffer, size, &transferred, nullptr)) return FALSE;
    // A synchronous read without an offset of its own reports the end of the file as
    // success with nothing read; a request that names its offset fails there instead.
    if (transferred == 0 && size != 0) {
        ::SetLastError(ERROR_HANDLE_EOF);
        return FALSE;
    }
    return TRUE;
}

BOOL CopyItemTransfer::Write(HANDLE file, uint64_t offset, const void* buffer, DWORD size, DWORD& transferred) {
    transferred = 0;
    if (!MoveTo(file, offset)) return FALSE;
    return ::WriteFile(file, buffer, size, &transferred, nullptr);
}

BOOL CopyItemTransfer::Flush(HANDLE file) { return ::FlushFileBuffers(file); }

BOOL CopyItemTransfer::Close(Marlin::FileHandle& file) { return file.close() ? TRUE : FALSE; }

bool CopyItemTransfer::VolumeTakes(const std::wstring& destination, uint64_t size) {
    return size <= kFatLargestFile || !Marlin::IsFatVolume(destination);
}

CopyItemTransfer& CopyItemTransfer::System() {
    static CopyItemTransfer system;
    return system;
}

}  // namespace Marlin::Sluice
