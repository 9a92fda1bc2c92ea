// One record of the queue between the reader and the writer: a buffer of the pool and
// what it holds. The header record of a file (offset HeaderOffset) carries the source's
// BY_HANDLE_FILE_INFORMATION; data records carry file bytes at their offset.
//
// A record belongs to one item of the job: its path and its item key together. The path
// alone is not enough, as one file can be an item of two trees (sources C:\a and C:\a\b,
// or a path given twice); dropping the queued data of one of them by path would take the
// other's along, and the writer would then wait for records that never come. The copy
// threads key each record with the item's tree node; a caller that works without trees
// (one file at a time) leaves the key empty.
#pragma once

#include <cstdint>
#include <string>

namespace Marlin::Sluice {

class FileBufferQueueData {
public:
    static constexpr int64_t HeaderOffset = -1;
    // Which item of the job a record belongs to; compared, never followed.
    using ItemKey = const void*;

    FileBufferQueueData() = default;
    FileBufferQueueData(std::wstring path, int64_t offset, void* buffer, uint64_t length, ItemKey item = nullptr);
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
    ItemKey item = nullptr;
};

}  // namespace Marlin::Sluice
