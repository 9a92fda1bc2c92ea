// The first-fit allocator on its own: rounding, placement by address, full pool, and
// requests and frees that must not corrupt the block list.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "BufferManager.h"
#include "TestHarness.h"

using Marlin::Sluice::BufferManager;
using Marlin::Sluice::BufferSpan;

namespace {

constexpr uint64_t KiB = 1024;
constexpr uint64_t MiB = 1024 * KiB;
constexpr uint64_t Unit = 4096;

// A pool backed by real (untouched) memory, so every address the allocator hands out
// points into an object.
struct Pool {
    Pool(uint64_t size, uint32_t alignment) : storage(new unsigned char[size]) {
        REQUIRE(manager.Initialize(storage.get(), size, alignment));
    }
    uint64_t OffsetOf(const void* p) const {
        return static_cast<uint64_t>(static_cast<const unsigned char*>(p) - storage.get());
    }
    // Offset of the allocation, or -1 when it failed.
    int64_t Take(uint64_t bytes) {
        BufferSpan span;
        void* p = manager.Allocate(bytes, span);
        if (p == nullptr) {
            CHECK(span.address == nullptr);
            CHECK_EQ(span.length, 0u);
            return -1;
        }
        CHECK(span.address == p);
        CHECK_EQ(span.length, bytes);
        spans.push_back(span);
        return static_cast<int64_t>(OffsetOf(p));
    }
    bool GiveBackAt(uint64_t offset) {
        return manager.Free(BufferSpan{storage.get() + offset, 0});
    }

    std::unique_ptr<unsigned char[]> storage;
    BufferManager manager;
    std::vector<BufferSpan> spans;
};

}  // namespace

TEST_CASE("a single request is rounded up to the alignment and refused when it cannot fit") {
    constexpr uint64_t max = std::numeric_limits<uint64_t>::max();
    struct Row {
        const char* name;
        uint64_t pool;
        uint32_t alignment;
        uint64_t request;
        bool fits;
        uint64_t used;
    };
    const Row rows[] = {
        {"header record in a 64 MiB pool", 64 * MiB, 4096, 52, true, 4096},
        {"exact multiple", 64 * MiB, 4096, 8192, true, 8192},
        {"one byte over a multiple", 64 * MiB, 4096, 4097, true, 8192},
        {"alignment 0 does not round", 64 * MiB, 0, 52, true, 52},
        {"alignment that is no power of two", 64 * KiB, 3, 7, true, 9},
        {"the whole pool", 64 * MiB, 4096, 64 * MiB, true, 64 * MiB},
        {"larger than the pool", 64 * MiB, 4096, 64 * MiB + 1, false, 0},
        {"larger than the pool without alignment", 64 * MiB, 0, 64 * MiB + 1, false, 0},
        {"fits, but not once rounded", 10000, 4096, 8193, false, 0},
        {"fits rounded in a pool of no whole multiple", 10000, 4096, 8192, true, 8192},
        {"rounding would overflow 64 bits", 64 * MiB, 4096, max, false, 0},
        {"just below the overflow", 64 * MiB, 4096, max - 100, false, 0},
        {"zero bytes still take one unit", 64 * MiB, 4096, 0, true, 4096},
        {"zero bytes without alignment take one byte", 64 * MiB, 0, 0, true, 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        Pool pool(row.pool, row.alignment);
        const int64_t at = pool.Take(row.request);
        CHECK_EQ(at >= 0, row.fits);
        if (row.fits) CHECK_EQ(at, 0);
        CHECK_EQ(pool.manager.GetUsedSize(), row.used);
        CHECK_EQ(pool.manager.GetFreeSize(), row.pool - row.used);
        CHECK_EQ(pool.manager.GetBlockCount(), row.fits ? 1u : 0u);
    }
}

TEST_CASE("consecutive blocks follow each other at offsets that are multiples of the alignment") {
    struct Row {
        uint32_t alignment;
        std::vector<uint64_t> requests;
        std::vector<int64_t> offsets;
    };
    const Row rows[] = {
        {4096, {52, 5000, 4096, 1}, {0, 4096, 12288, 16384}},
        {0, {52, 5000, 4096, 1}, {0, 52, 5052, 9148}},
        {512, {1, 513, 0, 512}, {0, 512, 1536, 2048}},
    };
    for (const Row& row : rows) {
        CONTEXT("alignment " + std::to_string(row.alignment));
        Pool pool(1 * MiB, row.alignment);
        for (size_t i = 0; i < row.requests.size(); ++i) CHECK_EQ(pool.Take(row.requests[i]), row.offsets[i]);
    }
}

TEST_CASE("after frees in any order, the lowest gap that fits is used") {
    // Eight one-unit blocks fill the pool; the listed ones are freed in the listed order,
    // then the requests (in units, rounded up) are placed.
    struct Row {
        const char* name;
        std::vector<int> freed;
        std::vector<uint64_t> requests;  // bytes
        std::vector<int> placed;         // unit index, -1 for no room
    };
    const Row rows[] = {
        {"middle hole", {3}, {Unit}, {3}},
        {"two holes, freed low first", {1, 5}, {Unit, Unit, Unit}, {1, 5, -1}},
        {"two holes, freed high first", {5, 1}, {Unit, Unit, Unit}, {1, 5, -1}},
        {"first fit, not best fit", {2, 3, 6}, {Unit, Unit, Unit}, {2, 3, 6}},
        {"freed neighbours form one gap", {2, 3}, {2 * Unit}, {2}},
        {"freed neighbours in reverse order", {3, 2}, {2 * Unit}, {2}},
        {"a larger request skips a smaller lower gap", {1, 3, 4}, {2 * Unit, Unit}, {3, 1}},
        {"no gap is large enough", {1, 3, 5, 7}, {2 * Unit, Unit}, {-1, 1}},
        {"rounding decides the fit", {2, 3}, {2 * Unit + 1, 2 * Unit}, {-1, 2}},
        {"gap before the first block", {0}, {52, 52}, {0, -1}},
        {"gap at the end", {7}, {Unit}, {7}},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        Pool pool(8 * Unit, Unit);
        for (int i = 0; i < 8; ++i) REQUIRE_EQ(pool.Take(Unit), static_cast<int64_t>(i * Unit));
        REQUIRE_EQ(pool.Take(1), -1);
        for (int unit : row.freed) CHECK(pool.GiveBackAt(unit * Unit));
        CHECK_EQ(pool.manager.GetUsedSize(), (8 - row.freed.size()) * Unit);
        for (size_t i = 0; i < row.requests.size(); ++i) {
            const int64_t at = pool.Take(row.requests[i]);
            CHECK_EQ(at, row.placed[i] < 0 ? -1 : static_cast<int64_t>(row.placed[i] * Unit));
        }
    }
}

TEST_CASE("a full pool refuses every request until something is freed") {
    Pool pool(16 * Unit, Unit);
    int blocks = 0;
    while (pool.Take(3 * Unit) >= 0) ++blocks;
    CHECK_EQ(blocks, 5);  // 15 units; one unit is left over
    CHECK_EQ(pool.manager.GetFreeSize(), Unit);
    CHECK_EQ(pool.Take(Unit + 1), -1);
    CHECK_EQ(pool.Take(Unit), 15 * static_cast<int64_t>(Unit));
    CHECK_EQ(pool.manager.GetFreeSize(), 0u);
    CHECK_EQ(pool.Take(0), -1);

    CHECK(pool.GiveBackAt(3 * Unit));
    CHECK_EQ(pool.Take(3 * Unit + 1), -1);
    CHECK_EQ(pool.Take(3 * Unit), 3 * static_cast<int64_t>(Unit));
    CHECK_EQ(pool.manager.GetUsedSize(), 16 * Unit);
}

TEST_CASE("freeing an address that starts no live block changes nothing") {
    unsigned char elsewhere[16] = {};
    enum class Where { Null, Outside, AtOffset };
    struct Row {
        const char* name;
        Where where;
        uint64_t offset;  // from the pool's base, for AtOffset
    };
    const Row rows[] = {
        {"null", Where::Null, 0},
        {"memory outside the pool", Where::Outside, 0},
        {"inside a live block", Where::AtOffset, 1},
        {"the last byte of a live block", Where::AtOffset, 2 * Unit - 1},
        {"start of a free gap", Where::AtOffset, 2 * Unit},
        {"end of the pool", Where::AtOffset, 4 * Unit},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        Pool pool(4 * Unit, Unit);
        REQUIRE_EQ(pool.Take(Unit), 0);
        REQUIRE_EQ(pool.Take(Unit), static_cast<int64_t>(Unit));
        void* address = row.where == Where::Null      ? nullptr
                        : row.where == Where::Outside ? static_cast<void*>(elsewhere)
                                                      : static_cast<void*>(pool.storage.get() + row.offset);
        CHECK(!pool.manager.Free(BufferSpan{address, Unit}));
        CHECK_EQ(pool.manager.GetUsedSize(), 2 * Unit);
        CHECK_EQ(pool.manager.GetBlockCount(), 2u);
        // The live blocks are still taken: new blocks go after them.
        CHECK_EQ(pool.Take(2 * Unit), 2 * static_cast<int64_t>(Unit));
    }
}

TEST_CASE("a block is freed once; the second free of the same span is ignored") {
    Pool pool(4 * Unit, Unit);
    REQUIRE_EQ(pool.Take(100), 0);
    REQUIRE_EQ(pool.Take(100), static_cast<int64_t>(Unit));
    CHECK(pool.manager.Free(pool.spans[0]));
    CHECK(!pool.manager.Free(pool.spans[0]));
    CHECK_EQ(pool.manager.GetUsedSize(), Unit);
    CHECK_EQ(pool.manager.GetBlockCount(), 1u);
    // The freed span's length does not matter, only its address: a zero-length span
    // frees the whole rounded block.
    CHECK(pool.manager.Free(BufferSpan{pool.spans[1].address, 0}));
    CHECK_EQ(pool.manager.GetUsedSize(), 0u);
}

TEST_CASE("zero-byte requests get addresses of their own, each freed on its own") {
    Pool pool(4 * Unit, Unit);
    BufferSpan a, b;
    void* pa = pool.manager.Allocate(0, a);
    void* pb = pool.manager.Allocate(0, b);
    REQUIRE(pa != nullptr);
    REQUIRE(pb != nullptr);
    CHECK(pa != pb);
    CHECK_EQ(a.length, 0u);
    CHECK(pool.manager.Free(a));
    CHECK_EQ(pool.manager.GetBlockCount(), 1u);
    CHECK(pool.manager.Free(b));
    CHECK_EQ(pool.manager.GetUsedSize(), 0u);
}

TEST_CASE("Initialize starts over and Reset leaves nothing to allocate") {
    Pool pool(4 * Unit, Unit);
    REQUIRE_EQ(pool.Take(Unit), 0);
    REQUIRE(pool.manager.Initialize(pool.storage.get(), 4 * Unit, 0));
    CHECK_EQ(pool.manager.GetUsedSize(), 0u);
    CHECK_EQ(pool.manager.GetBlockCount(), 0u);
    CHECK_EQ(pool.Take(10), 0);
    CHECK_EQ(pool.Take(10), 10);

    pool.manager.Reset();
    CHECK(pool.manager.GetBase() == nullptr);
    CHECK_EQ(pool.manager.GetPoolSize(), 0u);
    CHECK_EQ(pool.manager.GetUsedSize(), 0u);
    CHECK_EQ(pool.Take(1), -1);
    CHECK_EQ(pool.Take(0), -1);
    CHECK(!pool.manager.Free(pool.spans[0]));

    BufferManager other;
    CHECK(!other.Initialize(nullptr, 4 * Unit, Unit));
    CHECK_EQ(other.GetPoolSize(), 0u);
    // A range that would run past the end of the address space.
    unsigned char byte = 0;
    CHECK(!other.Initialize(&byte, std::numeric_limits<uint64_t>::max(), Unit));
    CHECK_EQ(other.GetPoolSize(), 0u);
}

namespace {

// First fit as a walk over the live blocks in address order: where each request must go.
struct ReferenceFirstFit {
    struct Block {
        uint64_t offset, length;
    };
    uint64_t poolSize;
    uint32_t alignment;
    std::vector<Block> blocks;  // by offset

    int64_t Take(uint64_t bytes) {
        uint64_t rounded = bytes == 0 ? 1 : bytes;
        if (alignment != 0) rounded = (rounded + alignment - 1) / alignment * alignment;
        if (rounded > poolSize) return -1;
        uint64_t candidate = 0;
        size_t at = 0;
        for (; at < blocks.size(); ++at) {
            if (blocks[at].offset - candidate >= rounded) break;
            candidate = blocks[at].offset + blocks[at].length;
        }
        if (at == blocks.size() && poolSize - candidate < rounded) return -1;
        blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(at), Block{candidate, rounded});
        return static_cast<int64_t>(candidate);
    }
    void Give(uint64_t offset) {
        for (size_t i = 0; i < blocks.size(); ++i)
            if (blocks[i].offset == offset) {
                blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
    }
    uint64_t Used() const {
        uint64_t sum = 0;
        for (const Block& b : blocks) sum += b.length;
        return sum;
    }
};

}  // namespace

TEST_CASE("long runs of requests and frees in ring, random and mixed order place every block where a walk would") {
    struct Row {
        const char* name;
        uint64_t poolSize;
        uint32_t alignment;
        int ringPercent;  // share of frees that take the oldest live block
    };
    const Row rows[] = {
        {"ring, alignment 4096", 1 * MiB, 4096, 100},
        {"mostly ring, alignment 512", 1 * MiB, 512, 80},
        {"random frees, alignment 4096", 1 * MiB, 4096, 0},
        {"random frees, no alignment", 64 * KiB, 0, 0},
        {"mixed, no alignment", 64 * KiB, 0, 50},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        Pool pool(row.poolSize, row.alignment);
        ReferenceFirstFit reference{row.poolSize, row.alignment, {}};
        std::vector<uint64_t> live;  // offsets in allocation order
        uint32_t state = 99;
        auto next = [&state] {
            state = state * 1664525u + 1013904223u;
            return state >> 8;
        };
        for (int step = 0; step < 20000; ++step) {
            const bool take = live.empty() || next() % 100 < 55;
            if (take) {
                // Mostly small requests, now and then a large one, as headers, small files and chunks.
                const uint32_t kind = next() % 10;
                const uint64_t bytes = kind < 5 ? next() % 600 : kind < 9 ? next() % 20000 : next() % (row.poolSize / 3);
                const int64_t expected = reference.Take(bytes);
                const int64_t got = pool.Take(bytes);
                REQUIRE_EQ(got, expected);
                if (got >= 0) live.push_back(static_cast<uint64_t>(got));
            } else {
                const size_t index = static_cast<int>(next() % 100) < row.ringPercent ? 0 : next() % live.size();
                const uint64_t offset = live[index];
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
                reference.Give(offset);
                REQUIRE(pool.GiveBackAt(offset));
            }
            REQUIRE_EQ(pool.manager.GetUsedSize(), reference.Used());
            REQUIRE_EQ(pool.manager.GetBlockCount(), reference.blocks.size());
        }
        for (uint64_t offset : live) REQUIRE(pool.GiveBackAt(offset));
        CHECK_EQ(pool.manager.GetUsedSize(), 0u);
        // Everything merged back into one gap: the whole pool fits again.
        CHECK_EQ(pool.Take(row.poolSize), 0);
    }
}
