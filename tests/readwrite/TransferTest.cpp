// One file through the reader, the pool and the writer: the copy's bytes and size, and
// the write requests that made it, unbuffered and aligned where they must be.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "CopyPump.h"
#include "ReadWriteFiles.h"
#include "RecordingTransfer.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestPool.h"
#include "WriterWithoutSetFileInformation.h"

using namespace rwtest;

namespace {

constexpr uint64_t MiB = 1024 * 1024;
constexpr uint64_t AllOnes = ~uint64_t{0};

// Queues the whole of from in one record, then writes it to to and finishes it, on the
// calling thread; opened runs once the destination is open.
void CopyInOneRecord(Marlin::Sluice::CopyItemReader& reader, Marlin::Sluice::CopyItemWriter& writer,
                     const std::wstring& from, const std::wstring& to, const std::function<void()>& opened = {}) {
    bool mustWait = false, queued = false;
    reader.Open(from, from, false, mustWait);
    REQUIRE(!mustWait);
    reader.ReadNext(queued, mustWait);
    REQUIRE(queued);
    writer.Open(to, from, false, mustWait);
    REQUIRE(!mustWait);
    if (opened) opened();
    while (writer.GetBytesWritten() < writer.GetFileSize()) {
        uint64_t n = 0;
        writer.WriteNext(n, mustWait);
        REQUIRE(!mustWait);
    }
    writer.Finish();
    writer.Close();
    reader.Close();
}

}  // namespace

TEST_CASE("a copied file has the source's bytes and size, written in aligned requests, unbuffered from the threshold on") {
    struct Row {
        const char* name;
        uint64_t size;
        uint32_t alignment;
        uint64_t writeChunk;
        uint64_t threshold;
        bool unbuffered;                  // how the destination is written
        std::vector<DWORD> requestSizes;  // empty with requestCount: all writeChunk but the last
        size_t requestCount;
    };
    const Row rows[] = {
        {"empty file", 0, 4096, 16 * MiB, 0, true, {}, 0},
        {"5000 bytes, alignment 4096: one padded write, trimmed", 5000, 4096, 16 * MiB, 0, true, {8192}, 1},
        {"5000 bytes, no alignment: one exact write", 5000, 0, 16 * MiB, 0, false, {5000}, 1},
        {"size equal to the threshold is unbuffered", 5000, 4096, 16 * MiB, 5000, true, {8192}, 1},
        {"size below the threshold is buffered", 5000, 4096, 16 * MiB, 5001, false, {8192}, 1},
        {"16 MiB + 1 in 16 MiB writes", 16 * MiB + 1, 4096, 16 * MiB, 0, true, {16 * MiB, 4096}, 2},
        {"16 MiB + 1 in 64 KiB writes, never unbuffered", 16 * MiB + 1, 4096, 64 * 1024, AllOnes, false, {}, 257},
    };
    quaytest::TempDir source('C'), target('D');
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring from = source / L"file.bin", to = target / L"file.bin";
        const std::string bytes = quaytest::PatternBytes(row.size, 11);
        quaytest::WriteBytes(from, bytes);

        TestPool pool(40 * MiB, row.alignment);
        RecordingTransfer transfer;
        {
            CopyPump pump(pool.get(), 16 * MiB, row.writeChunk, row.threshold);
            pump.reader.SetTransfer(&transfer);
            pump.writer.SetTransfer(&transfer);
            pump.Add(from, to);
            pump.Run();
            CHECK_EQ(pump.bytesWrittenReported, row.size);
        }
        CHECK_EQ(FileSize(to), row.size);
        CHECK(quaytest::ReadBytes(to) == bytes);
        CHECK_EQ(pool->GetUsedSize(), 0u);
        CHECK_EQ(pool->GetQueueCount(), 0u);

        std::vector<RecordingTransfer::Request> writes = transfer.Writes();
        REQUIRE_EQ(writes.size(), row.requestCount);
        uint64_t offset = 0;
        for (size_t i = 0; i < writes.size(); ++i) {
            CONTEXT("write " + std::to_string(i));
            if (!row.requestSizes.empty()) CHECK_EQ(writes[i].size, row.requestSizes[i]);
            else if (i + 1 < writes.size()) CHECK_EQ(writes[i].size, row.writeChunk);
            CHECK_EQ(writes[i].offset, offset);
            CHECK_EQ(writes[i].unbuffered, row.unbuffered);
            if (row.alignment != 0) {
                CHECK_EQ(writes[i].size % row.alignment, 0u);
                CHECK_EQ(writes[i].offset % row.alignment, 0u);
            }
            offset += writes[i].transferred;
        }
        quaytest::RemoveTree(to);
    }
}

TEST_CASE("the writer takes only the record it needs next; any other front record stays where it is and it waits") {
    using Marlin::Sluice::BufferSpan;
    using Marlin::Sluice::CopyItemReader;
    using Marlin::Sluice::CopyItemWriter;
    using Marlin::Sluice::FileBufferQueueData;
    quaytest::TempDir source('C'), target('D');
    const std::wstring a = source / L"a.bin", b = source / L"b.bin";
    quaytest::WriteBytes(a, quaytest::PatternBytes(8192, 30));
    quaytest::WriteBytes(b, quaytest::PatternBytes(100, 31));
    TestPool pool(1 << 20, 4096);
    CopyItemReader readerA, readerB;
    CopyItemWriter writer;
    readerA.Initialize(pool.get(), 4096);
    readerB.Initialize(pool.get(), 4096);
    writer.Initialize(pool.get(), 4096, 0);
    bool mustWait = false, queued = false;
    readerA.Open(a, a, false, mustWait);
    readerA.ReadNext(queued, mustWait);  // a's first half only
    readerB.Open(b, b, false, mustWait);  // then b's header

    auto buffers = [&] {
        std::vector<void*> out;
        for (const auto& r : pool.Records()) out.push_back(r.buffer);
        return out;
    };
    const std::vector<void*> start = buffers();
    REQUIRE_EQ(start.size(), 3u);

    writer.Open(target / L"b.bin", b, false, mustWait);
    CHECK(mustWait);
    CHECK(!writer.IsOpen());
    CHECK(buffers() == start);

    writer.Open(target / L"a.bin", a, false, mustWait);
    REQUIRE(!mustWait);
    uint64_t n = 0;
    writer.WriteNext(n, mustWait);
    CHECK_EQ(n, 4096u);
    const std::vector<void*> onlyB = buffers();
    REQUIRE_EQ(onlyB.size(), 1u);

    writer.WriteNext(n, mustWait);  // b's header is in front, a's second half not yet read
    CHECK(mustWait);
    CHECK_EQ(n, 0u);
    CHECK(buffers() == onlyB);

    // A record of the right file at the wrong offset (data a reader queued a second time).
    BufferSpan stray;
    REQUIRE(pool->Allocate(4096, stray));
    pool->PushFront(FileBufferQueueData(a, 0, stray.address, 4096));
    writer.WriteNext(n, mustWait);
    CHECK(mustWait);
    CHECK_EQ(writer.GetBytesWritten(), 4096u);
    CHECK_EQ(pool.Records().at(0).buffer, stray.address);
    pool->RemoveFileBuffers(a);

    writer.Abort();
    readerA.Abort();
    readerB.Abort();
    CHECK_EQ(pool->GetUsedSize(), 0u);
}

TEST_CASE("a destination is sized before its first write only when one write request cannot fill it") {
    using Marlin::Sluice::CopyItemReader;
    using Marlin::Sluice::CopyItemWriter;
    struct Row {
        const char* name;
        uint64_t size;
        uint32_t alignment;
        uint64_t writeChunk;
        bool withoutSetFileInformation;
        uint64_t sizeAfterOpen;
    };
    const Row rows[] = {
        {"5000 bytes in one request", 5000, 4096, 64 * 1024, false, 0},
        {"exactly one request", 64 * 1024, 0, 64 * 1024, false, 0},
        {"one byte more than a request", 64 * 1024 + 1, 0, 64 * 1024, false, 64 * 1024 + 1},
        {"padded beyond one request", 64 * 1024 - 1, 4096, 60 * 1024, false, 64 * 1024 - 1},
        {"two requests, sized through the file pointer", 100000, 0, 64 * 1024, true, 100000},
        {"one request, without SetFileInformationByHandle", 5000, 0, 64 * 1024, true, 0},
    };
    quaytest::TempDir source('C'), target('D');
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring from = source / L"f.bin", to = target / L"f.bin";
        const std::string bytes = quaytest::PatternBytes(row.size, 12);
        quaytest::WriteBytes(from, bytes);
        TestPool pool(4 * MiB, row.alignment);
        CopyItemReader reader;
        CopyItemWriter plainWriter;
        WriterWithoutSetFileInformation oldSystemWriter;
        CopyItemWriter& writer = row.withoutSetFileInformation ? oldSystemWriter : plainWriter;
        reader.Initialize(pool.get(), 16 * MiB);
        writer.Initialize(pool.get(), row.writeChunk, AllOnes);
        CopyInOneRecord(reader, writer, from, to, [&] { CHECK_EQ(FileSize(to), row.sizeAfterOpen); });
        CHECK_EQ(FileSize(to), row.size);
        CHECK(quaytest::ReadBytes(to) == bytes);
        quaytest::RemoveTree(to);
    }
}

TEST_CASE("an unbuffered tail whose padding would pass the volume's largest file is written as it is") {
    using Marlin::Sluice::CopyItemReader;
    using Marlin::Sluice::CopyItemWriter;
    struct Row {
        const char* name;
        uint64_t size;
        uint64_t largest;  // what the volume takes, as FAT32 takes 4 GiB - 1
        bool withoutSetFileInformation;
        DWORD tailRequest;   // the last write request
        bool tailUnbuffered;
    };
    const Row rows[] = {
        {"one short request: the padded 8192 would pass 6000", 5000, 6000, false, 5000, false},
        {"after whole chunks: the tail alone is written as it is", 3 * 16384 + 904, 3 * 16384 + 1000, false, 904, false},
        {"the same, sized and trimmed through the file pointer", 3 * 16384 + 904, 3 * 16384 + 1000, true, 904, false},
        {"the file ends at the largest size", 3 * 16384 + 904, 3 * 16384 + 904, false, 904, false},
        {"the padding fits: padded and trimmed as always", 5000, 8192, false, 8192, true},
    };
    quaytest::TempDir source('C'), target('D');
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring from = source / L"f.bin", to = target / L"f.bin";
        const std::string bytes = quaytest::PatternBytes(row.size, 15);
        quaytest::WriteBytes(from, bytes);
        TestPool pool(4 * MiB, 4096);
        RecordingTransfer transfer;
        transfer.SetLargestFileSize(row.largest);
        CopyItemReader reader;
        CopyItemWriter plainWriter;
        WriterWithoutSetFileInformation oldSystemWriter;
        CopyItemWriter& writer = row.withoutSetFileInformation ? oldSystemWriter : plainWriter;
        reader.Initialize(pool.get(), 16 * MiB);
        writer.Initialize(pool.get(), 16384, 0);
        writer.SetTransfer(&transfer);
        CopyInOneRecord(reader, writer, from, to);
        CHECK_EQ(FileSize(to), row.size);
        CHECK(quaytest::ReadBytes(to) == bytes);

        const std::vector<RecordingTransfer::Request> writes = transfer.Writes();
        REQUIRE(!writes.empty());
        for (size_t i = 0; i < writes.size(); ++i) {
            CONTEXT("write " + std::to_string(i));
            CHECK(writes[i].succeeded);
            CHECK(writes[i].offset + writes[i].size <= row.largest);
            if (i + 1 < writes.size()) CHECK(writes[i].unbuffered);
        }
        CHECK_EQ(writes.back().size, row.tailRequest);
        CHECK_EQ(writes.back().unbuffered, row.tailUnbuffered);
        quaytest::RemoveTree(to);
    }
}

TEST_CASE("records belong to an item, not only to a path: dropping one item's records keeps another item's of the same file") {
    using Marlin::Sluice::CopyItemReader;
    using Marlin::Sluice::CopyItemWriter;
    using Marlin::Sluice::FileBufferQueueData;
    // The same file as an item of two trees (sources C:\a and C:\a\b), queued for both.
    quaytest::TempDir source('C'), target('D');
    const std::wstring from = source / L"f.bin";
    const std::string bytes = quaytest::PatternBytes(3 * 4096 + 10, 16);
    quaytest::WriteBytes(from, bytes);
    int first = 0, second = 0;
    const FileBufferQueueData::ItemKey firstItem = &first, secondItem = &second;
    TestPool pool(1 << 20, 4096);
    CopyItemReader reader;
    CopyItemWriter writer;
    reader.Initialize(pool.get(), 4096);
    writer.Initialize(pool.get(), 4096, 0);
    auto queueAll = [&](FileBufferQueueData::ItemKey item) {
        bool mustWait = false, queued = false;
        reader.Open(from, from, false, mustWait, item);
        while (reader.GetBytesRead() < reader.GetFileSize()) reader.ReadNext(queued, mustWait);
        reader.Close();
    };
    queueAll(firstItem);
    queueAll(secondItem);
    const size_t perItem = pool->GetQueueCount() / 2;

    // The writer is not given the second item's header for the first item.
    bool mustWait = false;
    writer.Open(target / L"first.bin", from, false, mustWait, secondItem);
    CHECK(mustWait);
    CHECK_EQ(pool->GetQueueCount(), 2 * perItem);

    // The first item is given up half way (the user's skip).
    writer.Open(target / L"first.bin", from, false, mustWait, firstItem);
    REQUIRE(!mustWait);
    uint64_t n = 0;
    writer.WriteNext(n, mustWait);
    writer.Abort();
    CHECK(!quaytest::Exists(target / L"first.bin"));
    CHECK_EQ(pool->GetQueueCount(), perItem);
    for (const auto& record : pool.Records()) CHECK(record.item == secondItem);

    // The second item is complete.
    writer.Open(target / L"second.bin", from, false, mustWait, secondItem);
    REQUIRE(!mustWait);
    while (writer.GetBytesWritten() < writer.GetFileSize()) {
        writer.WriteNext(n, mustWait);
        REQUIRE(!mustWait);
    }
    writer.Finish();
    writer.Close();
    CHECK(quaytest::ReadBytes(target / L"second.bin") == bytes);
    CHECK_EQ(pool->GetUsedSize(), 0u);
}
