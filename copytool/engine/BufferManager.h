// First-fit allocator over one fixed pool. It only does arithmetic on addresses: the
// memory itself belongs to whoever hands the pool in (VirtualAllocater in the engine).
//
// Every block is rounded up to a multiple of the alignment and placed at an offset from
// the base that is a multiple of it, so with a suitably aligned base every buffer suits
// unbuffered I/O. Free space is simply the gaps between live blocks, so two freed
// neighbours form one larger gap without any merging step.
//
// Not thread-safe, except that GetUsedSize and GetFreeSize may be read from another
// thread while one thread allocates or frees: they are hints for waking a peer thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "BufferSpan.h"

namespace Marlin::Sluice {

class BufferManager {
public:
    BufferManager() = default;
    virtual ~BufferManager();

    BufferManager(const BufferManager&) = delete;
    BufferManager& operator=(const BufferManager&) = delete;

    // Starts over on the pool [base, base + poolSize) with no live blocks. A null base
    // or a range that runs past the end of the address space is refused (returns false)
    // and leaves the manager empty.
    bool Initialize(void* base, uint64_t poolSize, uint32_t alignment);
    // Forgets the pool and every block: nothing can be allocated until Initialize.
    void Reset();

    // First fit by address. Returns the block's address and sets span to {address,
    // requested}, or returns null and sets span to {null, 0} when no gap is large
    // enough. A request of 0 bytes still takes one alignment unit (one byte without an
    // alignment), so that every live block has an address of its own for Free.
    void* Allocate(uint64_t requested, BufferSpan& span);
    // Gives back the block that starts at span.address. Returns false, and changes
    // nothing, when no live block starts there (a stray or repeated free).
    bool Free(const BufferSpan& span);

    void* GetBase() const { return base_; }
    uint64_t GetPoolSize() const { return poolSize_; }
    uint32_t GetAlignment() const { return alignment_; }
    uint64_t GetUsedSize() const { return usedSize_.load(std::memory_order_relaxed); }
    uint64_t GetFreeSize() const { return poolSize_ - GetUsedSize(); }
    size_t GetBlockCount() const { return blocks_.size(); }

    // size rounded up to a multiple of alignment (unchanged for alignment 0). Returns
    // false when the result would not fit in 64 bits.
    static bool RoundUp(uint64_t size, uint32_t alignment, uint64_t& rounded);

private:
    struct Block {
        uint64_t offset;  // from base
        uint64_t length;  // rounded
    };

    unsigned char* base_ = nullptr;
    uint64_t poolSize_ = 0;
    uint32_t alignment_ = 0;
    std::atomic<uint64_t> usedSize_{0};
    std::vector<Block> blocks_;  // sorted by offset, never overlapping
};

}  // namespace Marlin::Sluice
