// Failures in the middle of a file: a source that changes size while it is read, a read
// or write request that fails and is retried, and abandoning a file half way.
#include <windows.h>

#include <string>
#include <vector>

#include "CopyItemReader.h"
#include "CopyItemWriter.h"
#include "ReadWriteFiles.h"
#include "RecordingTransfer.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestPool.h"
#include "WindowsFileException.h"

using Marlin::WindowsFileException;
using Marlin::Sluice::CopyItemReader;
using Marlin::Sluice::CopyItemWriter;
using namespace rwtest;

namespace {

constexpr uint64_t kChunk = 65536;

struct Outcome {
    bool threw = false;
    uint32_t error = 0;
    std::wstring path;
};

template <typename Step>
Outcome Attempt(Step step) {
    Outcome outcome;
    try {
        step();
    } catch (const WindowsFileException& e) {
        outcome = Outcome{true, e.error, e.path};
    }
    return outcome;
}

void ReadNext(CopyItemReader& reader) {
    bool queued = false, mustWait = false;
    reader.ReadNext(queued, mustWait);
    REQUIRE(!mustWait);
    REQUIRE(queued);
}

void WriteNext(CopyItemWriter& writer) {
    bool mustWait = false;
    uint64_t n = 0;
    writer.WriteNext(n, mustWait);
    REQUIRE(!mustWait);
}

}  // namespace

TEST_CASE("a source that becomes shorter while it is read fails with ERROR_HANDLE_EOF, every time, queuing nothing") {
    struct Row {
        const char* name;
        uint32_t alignment;
        uint64_t shortenTo;
    };
    // The reader has queued the first 64 KiB of 200000 bytes when the file shrinks.
    const Row rows[] = {
        {"to the end of what was read: the next read gets nothing", 4096, kChunk},
        {"into the next chunk: the next read comes back short", 4096, kChunk + 1000},
        {"into the next chunk, without alignment", 0, kChunk + 1000},
        {"to nothing", 0, 0},
    };
    quaytest::TempDir dir;
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring path = dir / L"shrinking.bin";
        quaytest::WriteBytes(path, quaytest::PatternBytes(200000, 8));
        TestPool pool(1 << 20, row.alignment);
        CopyItemReader reader;
        reader.Initialize(pool.get(), kChunk);
        bool mustWait = false;
        reader.Open(path, path, false, mustWait);
        ReadNext(reader);
        const uint64_t used = pool->GetUsedSize();

        ResizeFromOutside(path, row.shortenTo);
        // Asked again and again (the user's retry), it fails each time instead of queuing
        // empty records or reporting the file as done.
        for (int attempt = 0; attempt < 3; ++attempt) {
            CONTEXT("attempt " + std::to_string(attempt));
            Outcome outcome = Attempt([&] { ReadNext(reader); });
            CHECK(outcome.threw);
            CHECK_EQ(outcome.error, uint32_t{ERROR_HANDLE_EOF});
            CHECK(outcome.path == path);
            CHECK_EQ(reader.GetBytesRead(), kChunk);
            CHECK_EQ(pool->GetQueueCount(), 2u);
            CHECK_EQ(pool->GetUsedSize(), used);
        }
        reader.Abort();
        CHECK_EQ(pool->GetQueueCount(), 0u);
        CHECK_EQ(pool->GetUsedSize(), 0u);
    }
}

TEST_CASE("a source that grows while it is read is copied at the size it had when it was opened") {
    quaytest::TempDir dir;
    const std::wstring path = dir / L"growing.bin", copy = dir / L"copy.bin";
    const std::string bytes = quaytest::PatternBytes(5000, 9);
    quaytest::WriteBytes(path, bytes);
    TestPool pool(1 << 20, 4096);
    CopyItemReader reader;
    CopyItemWriter writer;
    reader.Initialize(pool.get(), kChunk);
    writer.Initialize(pool.get(), kChunk, 0);
    bool mustWait = false;
    reader.Open(path, path, false, mustWait);
    ResizeFromOutside(path, 9000);
    // The padded request of 8192 bytes now finds 8192 bytes in the file.
    ReadNext(reader);
    CHECK_EQ(reader.GetBytesRead(), 5000u);
    CHECK_EQ(pool.Records().at(1).length, 5000u);
    writer.Open(copy, path, false, mustWait);
    WriteNext(writer);
    writer.Finish();
    writer.Close();
    CHECK(quaytest::ReadBytes(copy) == bytes);
}

TEST_CASE("a failed read or write leaves the position where it was, so the retry repeats that very request") {
    struct Row {
        const char* name;
        uint32_t alignment;
        bool failWrite;
        DWORD error;
    };
    const Row rows[] = {
        {"read, alignment 4096", 4096, false, ERROR_CRC},
        {"read, no alignment", 0, false, ERROR_CRC},
        {"write, alignment 4096", 4096, true, ERROR_DISK_FULL},
        {"write, no alignment", 0, true, ERROR_DISK_FULL},
    };
    quaytest::TempDir source('C'), target('D');
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring from = source / L"f.bin", to = target / L"f.bin";
        const std::string bytes = quaytest::PatternBytes(3 * kChunk + 777, 10);
        quaytest::WriteBytes(from, bytes);
        TestPool pool(1 << 20, row.alignment);
        RecordingTransfer transfer;
        CopyItemReader reader;
        CopyItemWriter writer;
        reader.Initialize(pool.get(), kChunk);
        writer.Initialize(pool.get(), 16384, 0);  // four writes per record
        reader.SetTransfer(&transfer);
        writer.SetTransfer(&transfer);
        if (row.failWrite) transfer.FailWrite(5, row.error);  // inside the second record
        else transfer.FailRead(1, row.error);                 // the second chunk

        bool mustWait = false;
        reader.Open(from, from, false, mustWait);
        ReadNext(reader);
        writer.Open(to, from, false, mustWait);
        WriteNext(writer);
        const uint64_t used = pool->GetUsedSize();
        const size_t queued = pool->GetQueueCount();

        const std::wstring failedPath = row.failWrite ? to : from;
        Outcome outcome = Attempt([&] {
            ReadNext(reader);
            WriteNext(writer);
        });
        CHECK(outcome.threw);
        CHECK_EQ(outcome.error, uint32_t{row.error});
        CHECK(outcome.path == failedPath);
        if (row.failWrite) {
            // Four writes of the first record, one of the second; the buffer stays held.
            CHECK_EQ(writer.GetBytesWritten(), kChunk + 16384);
            CHECK_EQ(pool->GetQueueCount(), queued);
            CHECK_EQ(pool->GetUsedSize(), used + kChunk);
        } else {
            CHECK_EQ(reader.GetBytesRead(), kChunk);
            CHECK_EQ(pool->GetQueueCount(), queued);
            CHECK_EQ(pool->GetUsedSize(), used);
        }

        // The retry: the same calls again, then the rest of the file.
        if (!row.failWrite) ReadNext(reader);
        WriteNext(writer);
        while (reader.GetBytesRead() < reader.GetFileSize()) ReadNext(reader);
        while (writer.GetBytesWritten() < writer.GetFileSize()) WriteNext(writer);
        writer.Finish();
        writer.Close();
        reader.Close();
        CHECK(quaytest::ReadBytes(to) == bytes);
        CHECK_EQ(pool->GetUsedSize(), 0u);

        const std::vector<RecordingTransfer::Request> requests = row.failWrite ? transfer.Writes() : transfer.Reads();
        const size_t failed = row.failWrite ? 5 : 1;
        REQUIRE(requests.size() > failed + 1);
        CHECK(!requests[failed].succeeded);
        CHECK(requests[failed + 1].succeeded);
        CHECK_EQ(requests[failed + 1].offset, requests[failed].offset);
        CHECK_EQ(requests[failed + 1].size, requests[failed].size);
        quaytest::RemoveTree(to);
    }
}

TEST_CASE("abort drops the file's queued records, closes it, and the writer's abort deletes its incomplete copy") {
    quaytest::TempDir source('C'), target('D');
    const std::wstring a = source / L"a.bin", b = source / L"b.bin", copyA = target / L"a.bin";
    quaytest::WriteBytes(a, quaytest::PatternBytes(4 * kChunk, 12));
    quaytest::WriteBytes(b, quaytest::PatternBytes(kChunk, 13));
    TestPool pool(1 << 20, 4096);
    CopyItemReader reader;
    CopyItemWriter writer;
    reader.Initialize(pool.get(), kChunk);
    writer.Initialize(pool.get(), kChunk, 0);

    // b is queued first and must survive everything that happens to a.
    bool mustWait = false;
    reader.Open(b, b, false, mustWait);
    ReadNext(reader);
    reader.Close();
    const uint64_t usedByB = pool->GetUsedSize();

    {
        CONTEXT("reader");
        reader.Open(a, a, false, mustWait);
        ReadNext(reader);
        ReadNext(reader);
        reader.Abort();
        CHECK(!reader.IsOpen());
        CHECK_EQ(pool->GetQueueCount(), 2u);
        CHECK_EQ(pool->GetUsedSize(), usedByB);
        for (const auto& record : pool.Records()) CHECK(record.path == b);
        // Closed for real: the file can now be opened for writing without sharing.
        Marlin::FileHandle exclusive(CreateFileW(a.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        CHECK(exclusive.valid());
    }
    {
        CONTEXT("writer");
        // Take b's records out of the way, the way a writer that finished b would have.
        pool->RemoveFileBuffers(b);
        reader.Open(a, a, false, mustWait);
        ReadNext(reader);
        ReadNext(reader);
        ReadNext(reader);
        writer.Open(copyA, a, false, mustWait);
        WriteNext(writer);
        CHECK(quaytest::Exists(copyA));
        writer.Abort();
        CHECK(!writer.IsOpen());
        CHECK(!quaytest::Exists(copyA));
        CHECK_EQ(pool->GetQueueCount(), 0u);
        CHECK_EQ(pool->GetUsedSize(), 0u);
        reader.Close();
    }
}

TEST_CASE("a write that takes less than it was asked fails the whole chunk; the retry writes that chunk again") {
    struct Row {
        const char* name;
        uint32_t alignment;
        DWORD taken;  // of the second write request, 16384 bytes asked
    };
    const Row rows[] = {
        {"unbuffered, half a request", 4096, 8192},
        {"unbuffered, one byte short", 4096, 16383},
        {"buffered, a few bytes", 0, 100},
    };
    quaytest::TempDir source('C'), target('D');
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring from = source / L"f.bin", to = target / L"f.bin";
        const std::string bytes = quaytest::PatternBytes(3 * 16384 + 500, 14);
        quaytest::WriteBytes(from, bytes);
        TestPool pool(1 << 20, row.alignment);
        RecordingTransfer transfer;
        CopyItemReader reader;
        CopyItemWriter writer;
        reader.Initialize(pool.get(), kChunk);
        writer.Initialize(pool.get(), 16384, 0);
        writer.SetTransfer(&transfer);
        transfer.ShortenWrite(1, row.taken);

        bool mustWait = false;
        reader.Open(from, from, false, mustWait);
        ReadNext(reader);
        writer.Open(to, from, false, mustWait);
        Outcome outcome = Attempt([&] { WriteNext(writer); });
        CHECK(outcome.threw);
        CHECK_EQ(outcome.error, uint32_t{ERROR_WRITE_FAULT});
        CHECK(outcome.path == to);
        // Only the first request counts; the part of the second one is not the chunk.
        CHECK_EQ(writer.GetBytesWritten(), 16384u);

        WriteNext(writer);  // the retry
        writer.Finish();
        writer.Close();
        reader.Close();
        CHECK(quaytest::ReadBytes(to) == bytes);
        CHECK_EQ(pool->GetUsedSize(), 0u);

        const std::vector<RecordingTransfer::Request> writes = transfer.Writes();
        REQUIRE(writes.size() >= 3u);
        CHECK_EQ(writes[1].transferred, row.taken);
        CHECK_EQ(writes[2].offset, writes[1].offset);
        CHECK_EQ(writes[2].size, writes[1].size);
        for (size_t i = 0; i < writes.size(); ++i) {
            CONTEXT("write " + std::to_string(i));
            CHECK_EQ(writes[i].offset % 16384, 0u);
            if (i != 1) CHECK(writes[i].succeeded);
            if (i != 1) CHECK_EQ(writes[i].transferred, writes[i].size);
        }
        quaytest::RemoveTree(to);
    }
}
