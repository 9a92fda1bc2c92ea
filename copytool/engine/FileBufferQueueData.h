// One record of the queue between the reader and the writer: a buffer of the pool and
// what it holds. The header record of a file (offset HeaderOffset) carries the source's
// BY_HANDLE_FILE_INFORMATION; data records carry file bytes at their offset.
#pragma once

#include <cstdint>
#include <string>

namespace Marlin::Sluice {

class FileBufferQueueData {
public:
    static constexpr int64_t HeaderOffset = -1;

    FileBufferQueueData() = default;
    FileBufferQueueData(std::wstring path, int64_t offset, void* buffer, uint64_t length);
    virtual ~FileBufferQueueData();

    FileBufferQueueData(const FileBufferQueueData&) = default;
    FileBufferQueueData& operator=(const FileBufferQueueData&) = default;
    FileBufferQueueData(FileBufferQueueData&&) = default;
    FileBufferQueueData& operator=(FileBufferQueueData&&) = default;

    bool IsHeader() const { return offset == HeaderOffset; }

    std::wstring path;
    int64_t offset = 0;
    void* buffer = nullptr;
    uint64_t length = 0;
};

}  // namespace Marlin::Sluice
