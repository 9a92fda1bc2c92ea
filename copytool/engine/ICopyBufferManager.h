// The buffer pool and the queue that the reader and the writer of a copy share.
//
// The reader allocates buffers, fills them and appends records; the writer takes records
// from the front in the order it needs them, puts back one that is not yet its turn,
// writes and frees. Allocate returning null means "the pool is full, let the writer
// free something", never an error.
//
// The size getters (GetAlignment to GetFreeSize) are read without any lock by the
// thread that decides whether to wake its peer; a stale value only moves a wake-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "BufferSpan.h"
#include "FileBufferQueueData.h"

namespace Marlin::Sluice {

class ICopyBufferManager {
public:
    using FileBufferQueueData = Marlin::Sluice::FileBufferQueueData;

    virtual ~ICopyBufferManager() = default;

    // Makes the pool: 1 on success, 0 when it cannot be made or exists already.
    virtual int32_t CreatePool(uint64_t poolSize, uint32_t alignment) = 0;
    // Drops the queue and every buffer and gives the memory back.
    virtual void DestroyPool() = 0;
    // See BufferManager::Allocate; the buffer's content is whatever was there before.
    virtual void* Allocate(uint64_t requestedSize, BufferSpan& span) = 0;
    virtual void Free(const BufferSpan& span) = 0;
    virtual void PushBack(const FileBufferQueueData& record) = 0;
    // Copies the front record out and removes it: 1, or 0 when the queue is empty.
    virtual int32_t PopFront(FileBufferQueueData& record) = 0;
    virtual void PushFront(const FileBufferQueueData& record) = 0;
    // Takes every record of one item, path (compared without case) and item key, out of
    // the queue and frees its buffer; the other records keep their order.
    virtual void RemoveFileBuffers(const std::wstring& path, FileBufferQueueData::ItemKey item = nullptr) = 0;
    virtual uint32_t GetAlignment() const = 0;
    virtual uint64_t GetPoolSize() const = 0;
    virtual uint64_t GetUsedSize() const = 0;
    virtual uint64_t GetPeakUsedSize() const = 0;
    virtual uint64_t GetFreeSize() const = 0;
    virtual size_t GetQueueCount() const = 0;
    virtual size_t GetBufferCount() const = 0;

protected:
    ICopyBufferManager() = default;
    ICopyBufferManager(const ICopyBufferManager&) = default;
    ICopyBufferManager& operator=(const ICopyBufferManager&) = default;
};

}  // namespace Marlin::Sluice
