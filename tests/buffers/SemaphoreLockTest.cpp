// The locked manager shared by two threads, as the reader and the writer of a copy use it.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "CopyBufferManagerSemaphoreLock.h"
#include "TestHarness.h"

using Marlin::Sluice::BufferSpan;
using Marlin::Sluice::CopyBufferManagerSemaphoreLock;
using Record = Marlin::Sluice::ICopyBufferManager::FileBufferQueueData;

namespace {

constexpr uint64_t PoolSize = 1024 * 1024;
constexpr uint32_t Alignment = 4096;
constexpr int Files = 300;

uint32_t Next(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

std::wstring PathOf(int file) { return L"C:\\src\\f" + std::to_wstring(file) + L".bin"; }
int FileOf(const std::wstring& path) { return std::stoi(path.substr(8)); }

// Byte k of the record of file at offset: a pattern in which any two records differ.
unsigned char Stamp(int file, int64_t offset, uint64_t k) {
    return static_cast<unsigned char>((static_cast<uint64_t>(file) * 2654435761u + static_cast<uint64_t>(offset + 1) * 40503u + k * 7u) >> 3);
}

// Collected per thread and reported by the main thread: the harness is single-threaded.
struct Errors {
    std::vector<std::string> list;
    void Add(const std::string& what) {
        if (list.size() < 20) list.push_back(what);
    }
};

}  // namespace

TEST_CASE("a reader and a writer thread hammering the locked manager leave it consistent") {
    CopyBufferManagerSemaphoreLock m;
    REQUIRE_EQ(m.CreatePool(PoolSize, Alignment), 1);
    // Refused, and it must leave the pool's semaphore in place for the threads below.
    REQUIRE_EQ(m.CreatePool(PoolSize, Alignment), 0);
    auto* const base = static_cast<unsigned char*>(m.GetPoolAddress());

    std::vector<uint64_t> sizes(Files);
    uint32_t seed = 12345;
    for (uint64_t& s : sizes) s = Next(seed) % 150000;
    // Every seventh file is abandoned by the reader part-way; its records go at once.
    auto abandons = [](int f) { return f % 7 == 3; };
    std::vector<std::atomic<bool>> abandoned(Files);
    std::atomic<bool> readerDone{false};
    Errors readerErrors, writerErrors;
    std::atomic<long> readerWaits{0};

    std::thread reader([&] {
        uint32_t rng = 777;
        auto take = [&](uint64_t n) {
            BufferSpan span;
            while (m.Allocate(n, span) == nullptr) {
                ++readerWaits;
                std::this_thread::yield();
            }
            const auto at = static_cast<uint64_t>(static_cast<unsigned char*>(span.address) - base);
            if (at % Alignment != 0 || at + n > PoolSize || span.length != n) readerErrors.Add("bad span");
            return span;
        };
        for (int f = 0; f < Files; ++f) {
            const std::wstring path = PathOf(f);
            BufferSpan header = take(52);
            for (uint64_t k = 0; k < 52; ++k) static_cast<unsigned char*>(header.address)[k] = Stamp(f, -1, k);
            m.PushBack(Record(path, Record::HeaderOffset, header.address, header.length));

            uint64_t offset = 0;
            while (offset < sizes[f]) {
                if (abandons(f) && offset >= sizes[f] / 2) break;
                const uint64_t n = std::min<uint64_t>(1 + Next(rng) % 65536, sizes[f] - offset);
                BufferSpan data = take(n);
                auto* p = static_cast<unsigned char*>(data.address);
                for (uint64_t k = 0; k < n; ++k) p[k] = Stamp(f, static_cast<int64_t>(offset), k);
                m.PushBack(Record(path, static_cast<int64_t>(offset), data.address, n));
                offset += n;
            }
            if (abandons(f)) {
                abandoned[f] = true;
                // Spelled in other case, as a path may come from another source.
                std::wstring upper = path;
                CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
                m.RemoveFileBuffers(upper);
            }
        }
        readerDone = true;
    });

    std::vector<uint64_t> written(Files, 0);
    std::vector<bool> headerSeen(Files, false);
    std::thread writer([&] {
        int file = 0;
        int64_t expected = Record::HeaderOffset;
        unsigned long pops = 0;
        // Hold back until the reader has found the pool full once, so that the run
        // covers a full pool whatever the scheduling.
        while (readerWaits == 0 && !readerDone) std::this_thread::yield();
        for (;;) {
            if (m.GetUsedSize() > PoolSize || m.GetFreeSize() > PoolSize) writerErrors.Add("sizes out of range");
            const bool done = readerDone;
            Record r;
            if (!m.PopFront(r)) {
                if (done) break;
                std::this_thread::yield();
                continue;
            }
            // Now and then a record goes back as if it were not yet its turn.
            if (++pops % 5 == 0) {
                m.PushFront(r);
                continue;
            }
            const int f = FileOf(r.path);
            if (f != file) {
                // Only a file the reader abandoned ends before all its bytes came.
                if (f < file || !abandoned[file] || !r.IsHeader()) {
                    writerErrors.Add("record out of order: file " + std::to_string(f) + " offset " +
                                     std::to_string(r.offset) + ", expected file " + std::to_string(file));
                    break;
                }
                file = f;
                expected = Record::HeaderOffset;
            }
            if (r.offset != expected) {
                writerErrors.Add("offset " + std::to_string(r.offset) + " of file " + std::to_string(f) +
                                 ", expected " + std::to_string(expected));
                break;
            }
            const auto* p = static_cast<const unsigned char*>(r.buffer);
            uint64_t wrong = 0;
            for (uint64_t k = 0; k < r.length; ++k) wrong += p[k] != Stamp(f, r.offset, k);
            if (wrong != 0) writerErrors.Add("overwritten buffer: file " + std::to_string(f));
            if (r.IsHeader()) {
                headerSeen[f] = true;
                expected = 0;
            } else {
                written[f] += r.length;
                expected += static_cast<int64_t>(r.length);
            }
            if (!r.IsHeader() && static_cast<uint64_t>(expected) == sizes[f]) {
                ++file;
                expected = Record::HeaderOffset;
            } else if (r.IsHeader() && sizes[f] == 0) {
                ++file;
                expected = Record::HeaderOffset;
            }
            m.Free(BufferSpan{r.buffer, r.length});
            if (pops % 11 == 0 && m.GetBufferCount() > PoolSize / Alignment) writerErrors.Add("too many buffers");
        }
    });

    reader.join();
    writer.join();

    for (const std::string& e : readerErrors.list) CHECK_EQ(std::string("reader"), e);
    for (const std::string& e : writerErrors.list) CHECK_EQ(std::string("writer"), e);
    for (int f = 0; f < Files; ++f) {
        if (abandoned[f]) continue;
        CONTEXT("file " + std::to_string(f));
        CHECK(headerSeen[f]);
        CHECK_EQ(written[f], sizes[f]);
    }
    CHECK_EQ(m.GetQueueCount(), 0u);
    CHECK_EQ(m.GetBufferCount(), 0u);
    CHECK_EQ(m.GetUsedSize(), 0u);
    CHECK_EQ(m.GetFreeSize(), PoolSize);
    CHECK(m.GetPeakUsedSize() <= PoolSize);
    CHECK(m.GetPeakUsedSize() > PoolSize / 2);
    CHECK(readerWaits > 0);
}

TEST_CASE("the locked manager stays usable after a failed CreatePool and across pool cycles") {
    CopyBufferManagerSemaphoreLock m;
    CHECK_EQ(m.CreatePool(0, Alignment), 0);
    BufferSpan span;
    CHECK(m.Allocate(1, span) == nullptr);

    for (int cycle = 0; cycle < 3; ++cycle) {
        CONTEXT("cycle " + std::to_string(cycle));
        REQUIRE_EQ(m.CreatePool(PoolSize, Alignment), 1);
        // A second CreatePool fails but must neither keep the lock nor drop it.
        CHECK_EQ(m.CreatePool(PoolSize, Alignment), 0);
        REQUIRE(m.Allocate(100, span) != nullptr);
        m.PushBack(Record(L"C:\\x", 0, span.address, 100));
        CHECK_EQ(m.GetQueueCount(), 1u);
        CHECK_EQ(m.GetBufferCount(), 1u);

        // The other thread gets the lock too.
        Record got;
        int32_t popped = 0;
        std::thread other([&] {
            popped = m.PopFront(got);
            m.RemoveFileBuffers(L"C:\\x");
            m.Free(BufferSpan{got.buffer, got.length});
        });
        other.join();
        CHECK_EQ(popped, 1);
        CHECK(got.buffer == span.address);
        CHECK_EQ(m.GetBufferCount(), 0u);
        m.PushFront(got);
        m.DestroyPool();
        CHECK_EQ(m.GetQueueCount(), 0u);
        CHECK(m.GetPoolAddress() == nullptr);
    }
    // Without a pool the queue still works, with nobody else to lock out.
    m.PushBack(Record(L"C:\\y", 0, nullptr, 0));
    Record r;
    CHECK_EQ(m.PopFront(r), 1);
    CHECK_EQ(m.PopFront(r), 0);
}
