#include "BufferManager.h"

#include <algorithm>
#include <limits>

namespace Marlin::Sluice {

BufferManager::~BufferManager() = default;

bool BufferManager::Initialize(void* base, uint64_t poolSize, uint32_t alignment) {
    Reset();
    const auto start = reinterpret_cast<uintptr_t>(base);
    if (poolSize != 0) {
        // Offsets up to poolSize are turned back into addresses, so the whole range
        // must be addressable.
        if (base == nullptr || poolSize > std::numeric_limits<uintptr_t>::max() - start) return false;
    }
    base_ = static_cast<unsigned char*>(base);
    poolSize_ = poolSize;
    alignment_ = alignment;
    return true;
}

void BufferManager::Reset() {
    blocks_.clear();
    usedSize_.store(0, std::memory_order_relaxed);
    base_ = nullptr;
    poolSize_ = 0;
    alignment_ = 0;
}

bool BufferManager::RoundUp(uint64_t size, uint32_t alignment, uint64_t& rounded) {
    if (alignment == 0) {
        rounded = size;
        return true;
    }
    const uint64_t rest = size % alignment;
    if (rest == 0) {
        rounded = size;
        return true;
    }
    const uint64_t pad = alignment - rest;
    if (size > std::numeric_limits<uint64_t>::max() - pad) return false;
    rounded = size + pad;
    return true;
}

void* BufferManager::Allocate(uint64_t requested, BufferSpan& span) {
    span = BufferSpan{};
    uint64_t rounded = 0;
    if (!RoundUp(requested == 0 ? 1 : requested, alignment_, rounded) || rounded > poolSize_) return nullptr;

    // Offsets rather than addresses: candidate never exceeds poolSize_, and every test
    // below is a subtraction that cannot wrap, whatever the pool size.
    uint64_t candidate = 0;
    auto it = blocks_.begin();
    for (; it != blocks_.end(); ++it) {
        if (it->offset - candidate >= rounded) break;  // the gap before this block fits
        candidate = it->offset + it->length;
    }
    if (it == blocks_.end() && poolSize_ - candidate < rounded) return nullptr;

    blocks_.insert(it, Block{candidate, rounded});
    usedSize_.store(GetUsedSize() + rounded, std::memory_order_relaxed);
    span.address = base_ + candidate;
    span.length = requested;
    return span.address;
}

bool BufferManager::Free(const BufferSpan& span) {
    const auto start = reinterpret_cast<uintptr_t>(base_);
    const auto address = reinterpret_cast<uintptr_t>(span.address);
    if (base_ == nullptr || address < start || address - start >= poolSize_) return false;
    const uint64_t offset = address - start;

    auto it = std::lower_bound(blocks_.begin(), blocks_.end(), offset,
                               [](const Block& b, uint64_t o) { return b.offset < o; });
    if (it == blocks_.end() || it->offset != offset) return false;
    usedSize_.store(GetUsedSize() - it->length, std::memory_order_relaxed);
    blocks_.erase(it);
    return true;
}

}  // namespace Marlin::Sluice
