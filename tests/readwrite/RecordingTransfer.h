// A transfer that does the real reads and writes and keeps a list of them: direction,
// offset, size, whether the handle was opened unbuffered. It can also make one chosen
// request fail with a given error before it reaches the file, or write only part of it,
// which is the only way to get a read or write error on demand from a healthy disk; and
// it can stand for a volume whose files end early (FAT32, which Wine does not have).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CopyItemTransfer.h"

namespace rwtest {

class RecordingTransfer : public Marlin::Sluice::CopyItemTransfer {
public:
    struct Request {
        bool write = false;
        uint64_t offset = 0;
        DWORD size = 0;
        DWORD transferred = 0;
        bool succeeded = false;
        bool unbuffered = false;
    };

    BOOL Read(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& transferred) override;
    BOOL Write(HANDLE file, uint64_t offset, const void* buffer, DWORD size, DWORD& transferred) override;

    // The index-th read (or write), counted from 0 over all recorded ones, fails with error.
    void FailRead(size_t index, DWORD error);
    void FailWrite(size_t index, DWORD error);
    // The index-th write writes its first taken bytes only and reports success with that.
    void ShortenWrite(size_t index, DWORD taken);
    // The volume takes files of up to largest bytes: a write that would end beyond fails
    // with ERROR_FILE_TOO_LARGE before it reaches the file, as on such a volume.
    void SetLargestFileSize(uint64_t largest) { largest_ = largest; }
    bool VolumeTakes(const std::wstring& destination, uint64_t size) override;

    std::vector<Request> Reads() const;
    std::vector<Request> Writes() const;
    void Clear() { requests_.clear(); }

private:
    BOOL Record(bool write, HANDLE file, uint64_t offset, DWORD size, DWORD& transferred, BOOL ok);
    size_t Count(bool write) const;

    std::vector<Request> requests_;
    size_t failRead_ = SIZE_MAX, failWrite_ = SIZE_MAX, shortWrite_ = SIZE_MAX;
    DWORD failReadError_ = 0, failWriteError_ = 0, shortWriteTaken_ = 0;
    uint64_t largest_ = UINT64_MAX;
};

// Whether a handle was opened with FILE_FLAG_NO_BUFFERING, as the file system keeps it.
bool IsUnbuffered(HANDLE file);

}  // namespace rwtest
