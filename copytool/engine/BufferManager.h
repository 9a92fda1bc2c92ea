// First-fit allocator over one fixed pool. It only does arithmetic on addresses: the
// memory itself belongs to whoever hands the pool in (VirtualAllocater in the engine).
//
// Every block is rounded up to a multiple of the alignment and placed at an offset from
// the base that is a multiple of it, so with a suitably aligned base every buffer suits
// unbuffered I/O.
//
// The live blocks and the free gaps between them are kept in two ordered maps, the gaps
// merged with their free neighbours as blocks go. First fit by address is the first gap
// that is large enough, and the reader and the writer use the pool as a ring (the reader
// allocates behind the newest block, the writer frees the oldest), which leaves one or
// two gaps however many blocks are live: an allocation looks at those few gaps and a free
// finds its block in logarithmic time, where a walk over the live blocks, with thousands
// of small files queued at once, would cost a pass over all of them per buffer.
//
// Not thread-safe, except that GetUsedSize and GetFreeSize may be read from another
// thread while one thread allocates or frees: they are hints for waking a peer thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
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
    // Offset from the base to length; for blocks the rounded length.
    using Ranges = std::map<uint64_t, uint64_t>;

    // Keeps a map entry that is no longer needed for a later block, or lets it go.
    void Keep(Ranges::node_type entry);

    unsigned char* base_ = nullptr;
    uint64_t poolSize_ = 0;
    uint32_t alignment_ = 0;
    std::atomic<uint64_t> usedSize_{0};
    Ranges blocks_;  // live allocations, never overlapping
    Ranges gaps_;    // the rest of the pool; no two of them touch
    // Map entries that merging gaps left over, kept for the next blocks: in the ring that
    // the copy makes of the pool, allocating and freeing then reach the heap only rarely,
    // which matters because both run under the lock the reader and the writer share.
    std::vector<Ranges::node_type> spare_;
};

}  // namespace Marlin::Sluice
