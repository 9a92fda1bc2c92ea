// The pool of one run: real memory under Wine, its lifecycle, and the record queue.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "CopyBufferManager.h"
#include "TestHarness.h"

using Marlin::Sluice::BufferSpan;
using Marlin::Sluice::CopyBufferManager;
using Record = Marlin::Sluice::ICopyBufferManager::FileBufferQueueData;

namespace {

constexpr uint64_t MiB = 1024 * 1024;

MEMORY_BASIC_INFORMATION Query(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    REQUIRE(VirtualQuery(address, &info, sizeof info) == sizeof info);
    return info;
}

bool SameRecord(const Record& a, const Record& b) {
    return a.path == b.path && a.offset == b.offset && a.buffer == b.buffer && a.length == b.length;
}

std::vector<Record> Drain(CopyBufferManager& m) {
    std::vector<Record> out;
    Record r;
    while (m.PopFront(r)) out.push_back(r);
    return out;
}

}  // namespace

TEST_CASE("a 64 MiB pool is committed read-write, locked, writable throughout and given back") {
    CopyBufferManager m;
    REQUIRE_EQ(m.CreatePool(64 * MiB, 4096), 1);
    auto* base = static_cast<unsigned char*>(m.GetPoolAddress());
    REQUIRE(base != nullptr);
    CHECK_EQ(reinterpret_cast<uintptr_t>(base) % 65536, 0u);
    const MEMORY_BASIC_INFORMATION info = Query(base);
    CHECK_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
    CHECK_EQ(info.Protect, static_cast<DWORD>(PAGE_READWRITE));
    CHECK(info.RegionSize >= 64 * MiB);
    CHECK(m.IsPoolLocked());  // the processes here may lock memory
    CHECK_EQ(m.GetPoolSize(), 64 * MiB);
    CHECK_EQ(m.GetAlignment(), 4096u);
    CHECK_EQ(m.GetFreeSize(), 64 * MiB);

    // Four 16 MiB buffers fill it exactly; each gets its own byte in every position.
    BufferSpan spans[4];
    for (int i = 0; i < 4; ++i) {
        REQUIRE(m.Allocate(16 * MiB, spans[i]) != nullptr);
        CHECK(spans[i].address == base + i * 16 * MiB);
        std::memset(spans[i].address, 0x30 + i, 16 * MiB);
    }
    BufferSpan none;
    CHECK(m.Allocate(1, none) == nullptr);
    CHECK_EQ(m.GetFreeSize(), 0u);
    for (int i = 0; i < 4; ++i) {
        const auto* p = static_cast<const unsigned char*>(spans[i].address);
        size_t wrong = 0;
        for (uint64_t k = 0; k < 16 * MiB; k += 511) wrong += p[k] != 0x30 + i;
        CHECK_EQ(wrong, 0u);
        CHECK_EQ(p[16 * MiB - 1], 0x30 + i);
    }

    m.DestroyPool();
    CHECK(m.GetPoolAddress() == nullptr);
    CHECK_EQ(Query(base).State, static_cast<DWORD>(MEM_FREE));
    CHECK(!m.IsPoolLocked());
    CHECK_EQ(m.GetPoolSize(), 0u);
}

TEST_CASE("a second CreatePool fails and leaves the first pool as it was") {
    CopyBufferManager m;
    REQUIRE_EQ(m.CreatePool(1 * MiB, 4096), 1);
    void* base = m.GetPoolAddress();
    BufferSpan span;
    REQUIRE(m.Allocate(100, span) != nullptr);
    CHECK_EQ(m.CreatePool(2 * MiB, 512), 0);
    CHECK(m.GetPoolAddress() == base);
    CHECK_EQ(m.GetPoolSize(), 1 * MiB);
    CHECK_EQ(m.GetAlignment(), 4096u);
    CHECK_EQ(m.GetUsedSize(), 4096u);
    CHECK_EQ(m.GetBufferCount(), 1u);
}

TEST_CASE("CreatePool fails for memory that cannot be had, and a later pool is made normally") {
    const uint64_t sizes[] = {0, uint64_t{1} << 62};
    for (uint64_t size : sizes) {
        CONTEXT("size " + std::to_string(size));
        CopyBufferManager m;
        CHECK_EQ(m.CreatePool(size, 4096), 0);
        CHECK(m.GetPoolAddress() == nullptr);
        CHECK_EQ(m.GetPoolSize(), 0u);
        BufferSpan span;
        CHECK(m.Allocate(1, span) == nullptr);
        CHECK_EQ(m.CreatePool(1 * MiB, 4096), 1);
        CHECK(m.Allocate(1, span) != nullptr);
    }
}

TEST_CASE("DestroyPool drops the queue, the buffers and the peak; the manager can make a new pool") {
    CopyBufferManager m;
    REQUIRE_EQ(m.CreatePool(1 * MiB, 4096), 1);
    BufferSpan a, b, c;
    REQUIRE(m.Allocate(3 * 4096, a) != nullptr);
    REQUIRE(m.Allocate(4096, b) != nullptr);
    m.Free(a);
    REQUIRE(m.Allocate(100, c) != nullptr);
    CHECK(c.address == a.address);
    CHECK_EQ(m.GetUsedSize(), 2 * 4096u);
    CHECK_EQ(m.GetPeakUsedSize(), 4 * 4096u);
    m.PushBack(Record(L"C:\\a", 0, b.address, 100));

    m.DestroyPool();
    CHECK_EQ(m.GetQueueCount(), 0u);
    CHECK_EQ(m.GetBufferCount(), 0u);
    CHECK_EQ(m.GetUsedSize(), 0u);
    CHECK_EQ(m.GetPeakUsedSize(), 0u);
    CHECK(m.Allocate(1, a) == nullptr);
    m.DestroyPool();  // nothing left to give back

    REQUIRE_EQ(m.CreatePool(2 * MiB, 0), 1);
    CHECK_EQ(m.GetAlignment(), 0u);
    CHECK(m.Allocate(52, a) != nullptr);
    CHECK_EQ(m.GetUsedSize(), 52u);
    CHECK_EQ(m.GetPeakUsedSize(), 52u);
}

TEST_CASE("the queue is first in first out, and PushFront of a popped record restores it exactly") {
    CopyBufferManager m;
    int cells[4] = {};
    const Record records[] = {
        {L"C:\\src\\a.txt", Record::HeaderOffset, &cells[0], 52},
        {L"C:\\src\\a.txt", 0, &cells[1], 5000},
        {L"C:\\src\\a.txt", 5000, &cells[2], 1},
        {L"C:\\src\\b.txt", Record::HeaderOffset, &cells[3], 52},
    };
    for (const Record& r : records) m.PushBack(r);
    CHECK_EQ(m.GetQueueCount(), 4u);

    Record taken;
    REQUIRE_EQ(m.PopFront(taken), 1);
    CHECK(SameRecord(taken, records[0]));
    CHECK(taken.IsHeader());
    m.PushFront(taken);
    CHECK_EQ(m.GetQueueCount(), 4u);

    const std::vector<Record> out = Drain(m);
    REQUIRE_EQ(out.size(), 4u);
    for (size_t i = 0; i < out.size(); ++i) {
        CONTEXT("record " + std::to_string(i));
        CHECK(SameRecord(out[i], records[i]));
    }

    // An empty queue reports 0 and leaves the caller's record alone.
    Record untouched = records[2];
    CHECK_EQ(m.PopFront(untouched), 0);
    CHECK(SameRecord(untouched, records[2]));

    // PushFront goes before the front, PushBack after the back.
    m.PushBack(records[1]);
    m.PushFront(records[0]);
    m.PushBack(records[2]);
    const std::vector<Record> mixed = Drain(m);
    REQUIRE_EQ(mixed.size(), 3u);
    CHECK(SameRecord(mixed[0], records[0]));
    CHECK(SameRecord(mixed[1], records[1]));
    CHECK(SameRecord(mixed[2], records[2]));
}

TEST_CASE("RemoveFileBuffers takes out and frees every record of one path, without case, keeping the rest in order") {
    // Queue: A header, B header, A data, B data, C header. Each row removes one path.
    struct Row {
        const char* name;
        std::wstring removed;
        std::vector<int> kept;  // indexes of the records that stay, in queue order
    };
    const Row rows[] = {
        {"same spelling", L"C:\\src\\A.txt", {1, 3, 4}},
        {"other case", L"c:\\SRC\\a.TXT", {1, 3, 4}},
        {"a prefix of the path is another path", L"C:\\src\\A", {0, 1, 2, 3, 4}},
        {"a stream of the file is another path", L"C:\\src\\A.txt:s", {0, 1, 2, 3, 4}},
        {"a path with no records", L"C:\\src\\D.txt", {0, 1, 2, 3, 4}},
        {"the last record", L"C:\\src\\C.txt", {0, 1, 2, 3}},
    };
    const std::wstring paths[] = {L"C:\\src\\A.txt", L"C:\\src\\B.txt", L"C:\\src\\A.txt", L"C:\\src\\B.txt",
                                  L"C:\\src\\C.txt"};
    const int64_t offsets[] = {-1, -1, 0, 0, -1};
    const uint64_t lengths[] = {52, 52, 5000, 9000, 52};

    for (const Row& row : rows) {
        CONTEXT(row.name);
        CopyBufferManager m;
        REQUIRE_EQ(m.CreatePool(1 * MiB, 4096), 1);
        std::vector<Record> records;
        uint64_t keptBytes = 0;
        for (int i = 0; i < 5; ++i) {
            BufferSpan span;
            REQUIRE(m.Allocate(lengths[i], span) != nullptr);
            records.emplace_back(paths[i], offsets[i], span.address, span.length);
            m.PushBack(records.back());
        }
        for (int i : row.kept) keptBytes += (lengths[i] + 4095) / 4096 * 4096;

        m.RemoveFileBuffers(row.removed);
        CHECK_EQ(m.GetQueueCount(), row.kept.size());
        CHECK_EQ(m.GetBufferCount(), row.kept.size());
        CHECK_EQ(m.GetUsedSize(), keptBytes);
        const std::vector<Record> out = Drain(m);
        REQUIRE_EQ(out.size(), row.kept.size());
        for (size_t k = 0; k < out.size(); ++k) CHECK(SameRecord(out[k], records[row.kept[k]]));
    }
}

TEST_CASE("buffers of A freed by RemoveFileBuffers on an A, B, A queue are reused first fit") {
    CopyBufferManager m;
    REQUIRE_EQ(m.CreatePool(16 * 4096, 4096), 1);
    BufferSpan a1, b, a2;
    REQUIRE(m.Allocate(4096, a1) != nullptr);
    REQUIRE(m.Allocate(4096, b) != nullptr);
    REQUIRE(m.Allocate(2 * 4096, a2) != nullptr);
    m.PushBack(Record(L"C:\\A", 0, a1.address, a1.length));
    m.PushBack(Record(L"C:\\B", 0, b.address, b.length));
    m.PushBack(Record(L"C:\\A", 4096, a2.address, a2.length));

    m.RemoveFileBuffers(L"C:\\A");
    Record only;
    REQUIRE_EQ(m.PopFront(only), 1);
    CHECK(SameRecord(only, Record(L"C:\\B", 0, b.address, b.length)));
    CHECK_EQ(m.PopFront(only), 0);
    CHECK_EQ(m.GetUsedSize(), 4096u);

    BufferSpan again1, again2;
    REQUIRE(m.Allocate(4096, again1) != nullptr);
    REQUIRE(m.Allocate(2 * 4096, again2) != nullptr);
    CHECK(again1.address == a1.address);
    CHECK(again2.address == a2.address);
}
