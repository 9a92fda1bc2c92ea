#include "BufferManager.h"

#include <iterator>
#include <limits>
#include <utility>

namespace Marlin::Sluice {

namespace {

// Spare map entries kept at most; a pool rarely has more blocks freed between two
// allocations.
constexpr size_t kSpareEntries = 64;

}  // namespace

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
    if (poolSize != 0) gaps_.emplace(0, poolSize);
    spare_.reserve(kSpareEntries);
    return true;
}

void BufferManager::Reset() {
    blocks_.clear();
    gaps_.clear();
    spare_.clear();
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

    // The gap with the lowest address that fits: where a walk over the blocks in address
    // order would stop.
    auto gap = gaps_.begin();
    while (gap != gaps_.end() && gap->second < rounded) ++gap;
    if (gap == gaps_.end()) return nullptr;

    const uint64_t offset = gap->first;
    if (gap->second == rounded) {
        // The gap is used up; its map entry becomes the block's.
        blocks_.insert(gaps_.extract(gap));
    } else {
        const auto next = std::next(gap);
        auto rest = gaps_.extract(gap);
        rest.key() += rounded;
        rest.mapped() -= rounded;
        gaps_.insert(next, std::move(rest));
        if (spare_.empty()) {
            blocks_.emplace(offset, rounded);
        } else {
            auto entry = std::move(spare_.back());
            spare_.pop_back();
            entry.key() = offset;
            entry.mapped() = rounded;
            blocks_.insert(std::move(entry));
        }
    }
    usedSize_.store(GetUsedSize() + rounded, std::memory_order_relaxed);
    span.address = base_ + offset;
    span.length = requested;
    return span.address;
}

bool BufferManager::Free(const BufferSpan& span) {
    const auto start = reinterpret_cast<uintptr_t>(base_);
    const auto address = reinterpret_cast<uintptr_t>(span.address);
    if (base_ == nullptr || address < start || address - start >= poolSize_) return false;
    const uint64_t offset = address - start;

    const auto block = blocks_.find(offset);
    if (block == blocks_.end()) return false;
    const uint64_t length = block->second;
    usedSize_.store(GetUsedSize() - length, std::memory_order_relaxed);
    auto freed = blocks_.extract(block);

    // The freed range joins the gaps that touch it, so that gaps never lie side by side.
    const auto next = gaps_.lower_bound(offset);
    const auto previous = next == gaps_.begin() ? gaps_.end() : std::prev(next);
    const bool joinsPrevious = previous != gaps_.end() && previous->first + previous->second == offset;
    const bool joinsNext = next != gaps_.end() && offset + length == next->first;
    if (joinsPrevious && joinsNext) {
        previous->second += length + next->second;
        Keep(gaps_.extract(next));
        Keep(std::move(freed));
    } else if (joinsPrevious) {
        previous->second += length;
        Keep(std::move(freed));
    } else if (joinsNext) {
        const auto after = std::next(next);
        auto merged = gaps_.extract(next);
        merged.key() = offset;
        merged.mapped() += length;
        gaps_.insert(after, std::move(merged));
        Keep(std::move(freed));
    } else {
        gaps_.insert(next, std::move(freed));
    }
    return true;
}

void BufferManager::Keep(Ranges::node_type entry) {
    if (spare_.size() < kSpareEntries) spare_.push_back(std::move(entry));
}

}  // namespace Marlin::Sluice
