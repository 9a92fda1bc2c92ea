#include "CopyBufferManager.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace Marlin::Sluice {

namespace {

// Paths name files on a case-insensitive file system; the ordinal comparison without
// case is the one the file system itself applies.
bool SamePath(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

}  // namespace

// Holds the lock hook for one operation.
class CopyBufferManager::Held {
public:
    explicit Held(const CopyBufferManager& owner) : owner_(owner) { owner_.Lock(); }
    ~Held() { owner_.Unlock(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    const CopyBufferManager& owner_;
};

CopyBufferManager::CopyBufferManager(const VirtualAllocater::LockCalls& lockCalls) : memory_(lockCalls) {}

CopyBufferManager::~CopyBufferManager() { DestroyPool(); }

int32_t CopyBufferManager::CreatePool(uint64_t poolSize, uint32_t alignment) {
    Held held(*this);
    if (memory_.IsAllocated()) return 0;
    if (!memory_.Allocate(poolSize, true)) return 0;
    if (!buffers_.Initialize(memory_.GetAddress(), poolSize, alignment)) {
        memory_.Release();
        return 0;
    }
    peakUsedSize_.store(0, std::memory_order_relaxed);
    return 1;
}

void CopyBufferManager::DestroyPool() {
    Held held(*this);
    queue_.clear();
    buffers_.Reset();
    memory_.Release();
    peakUsedSize_.store(0, std::memory_order_relaxed);
}

void* CopyBufferManager::Allocate(uint64_t requestedSize, BufferSpan& span) {
    Held held(*this);
    void* address = buffers_.Allocate(requestedSize, span);
    if (address != nullptr) {
        const uint64_t used = buffers_.GetUsedSize();
        if (used > peakUsedSize_.load(std::memory_order_relaxed)) peakUsedSize_.store(used, std::memory_order_relaxed);
    }
    return address;
}

void CopyBufferManager::Free(const BufferSpan& span) {
    Held held(*this);
    buffers_.Free(span);
}

void CopyBufferManager::PushBack(const FileBufferQueueData& record) {
    FileBufferQueueData copy(record);
    Held held(*this);
    queue_.push_back(std::move(copy));
}

int32_t CopyBufferManager::PopFront(FileBufferQueueData& record) {
    Held held(*this);
    if (queue_.empty()) return 0;
    record = std::move(queue_.front());
    queue_.pop_front();
    return 1;
}

void CopyBufferManager::PushFront(const FileBufferQueueData& record) {
    FileBufferQueueData copy(record);
    Held held(*this);
    queue_.push_front(std::move(copy));
}

void CopyBufferManager::RemoveFileBuffers(const std::wstring& path, FileBufferQueueData::ItemKey item) {
    Held held(*this);
    // stable_partition keeps the order of the records that stay; their buffers are only
    // freed once the queue no longer refers to them.
    auto removed = std::stable_partition(queue_.begin(), queue_.end(), [&](const FileBufferQueueData& r) {
        return r.item != item || !SamePath(r.path, path);
    });
    for (auto it = removed; it != queue_.end(); ++it) buffers_.Free(BufferSpan{it->buffer, it->length});
    queue_.erase(removed, queue_.end());
}

uint32_t CopyBufferManager::GetAlignment() const { return buffers_.GetAlignment(); }
uint64_t CopyBufferManager::GetPoolSize() const { return buffers_.GetPoolSize(); }
uint64_t CopyBufferManager::GetUsedSize() const { return buffers_.GetUsedSize(); }
uint64_t CopyBufferManager::GetPeakUsedSize() const { return peakUsedSize_.load(std::memory_order_relaxed); }
uint64_t CopyBufferManager::GetFreeSize() const { return buffers_.GetFreeSize(); }

size_t CopyBufferManager::GetQueueCount() const {
    Held held(*this);
    return queue_.size();
}

size_t CopyBufferManager::GetBufferCount() const {
    Held held(*this);
    return buffers_.GetBlockCount();
}

void* CopyBufferManager::GetPoolAddress() const { return buffers_.GetBase(); }
bool CopyBufferManager::IsPoolLocked() const { return memory_.IsLocked(); }

}  // namespace Marlin::Sluice
