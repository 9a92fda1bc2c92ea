// The platform's backup stream of a file: BackupRead and BackupSeek on a handle opened with
// backup semantics. Security data is not read.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "UniqueHandle.h"
#include "IBackupStream.h"

namespace Marlin::Sluice::NTFSDataStream {

class CBackupStream : public IBackupStream {
public:
    // Opens path for reading (shared with readers) with backup semantics; null when that fails.
    static std::unique_ptr<IBackupStream> Open(const std::wstring& path);

    explicit CBackupStream(Marlin::FileHandle file);
    CBackupStream(const CBackupStream&) = delete;
    CBackupStream& operator=(const CBackupStream&) = delete;
    // Releases the backup context before the handle closes.
    ~CBackupStream() override;

    bool Read(void* buffer, uint32_t size, uint32_t& read) override;
    bool Seek(uint64_t size) override;

private:
    Marlin::FileHandle file_;
    LPVOID context_ = nullptr;  // BackupRead's and BackupSeek's state between calls
};

}  // namespace Marlin::Sluice::NTFSDataStream
