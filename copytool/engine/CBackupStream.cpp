#include "CBackupStream.h"

#include <utility>

namespace Marlin::Sluice::NTFSDataStream {

std::unique_ptr<IBackupStream> CBackupStream::Open(const std::wstring& path) {
    Marlin::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return nullptr;
    return std::make_unique<CBackupStream>(std::move(file));
}

CBackupStream::CBackupStream(Marlin::FileHandle file) : file_(std::move(file)) {}

CBackupStream::~CBackupStream() {
    if (context_) {
        DWORD ignored = 0;
        BackupRead(file_.get(), nullptr, 0, &ignored, TRUE, FALSE, &context_);
    }
}

bool CBackupStream::Read(void* buffer, uint32_t size, uint32_t& read) {
    DWORD got = 0;
    const BOOL ok = BackupRead(file_.get(), static_cast<LPBYTE>(buffer), size, &got, FALSE, FALSE, &context_);
    read = got;
    return ok != FALSE;
}

bool CBackupStream::Seek(uint64_t size) {
    DWORD seekedLow = 0, seekedHigh = 0;
    return BackupSeek(file_.get(), static_cast<DWORD>(size & 0xFFFFFFFFu), static_cast<DWORD>(size >> 32), &seekedLow,
                      &seekedHigh, &context_) != FALSE;
}

}  // namespace Marlin::Sluice::NTFSDataStream
