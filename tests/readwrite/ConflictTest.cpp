// Sources and destinations that are not simply there for the taking: an existing
// destination, read-only files on either side, a file another process holds.
#include <windows.h>

#include <string>
#include <vector>

#include "CopyItemReader.h"
#include "CopyItemWriter.h"
#include "CopyPump.h"
#include "FileHolder.h"
#include "ReadWriteFiles.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestPool.h"
#include "WindowsFileException.h"

using Marlin::WindowsFileException;
using Marlin::Sluice::CopyItemReader;
using Marlin::Sluice::CopyItemWriter;
using Marlin::Sluice::FileBufferQueueData;
using namespace rwtest;

namespace {

constexpr uint64_t kChunk = 65536;

// Queues the whole of source and returns the reader holding it.
void Queue(CopyItemReader& reader, const std::wstring& source) {
    bool mustWait = false, queued = false;
    reader.Open(source, source, false, mustWait);
    REQUIRE(!mustWait);
    while (reader.GetBytesRead() < reader.GetFileSize()) reader.ReadNext(queued, mustWait);
    reader.Close();
}

void WriteAll(CopyItemWriter& writer) {
    bool mustWait = false;
    uint64_t n = 0;
    while (writer.GetBytesWritten() < writer.GetFileSize()) {
        writer.WriteNext(n, mustWait);
        REQUIRE(!mustWait);
    }
    writer.Finish();
    writer.Close();
}

uint32_t OpenError(CopyItemWriter& writer, const std::wstring& to, const std::wstring& from, bool overwrite,
                   std::wstring* path = nullptr) {
    bool mustWait = false;
    try {
        writer.Open(to, from, overwrite, mustWait);
    } catch (const WindowsFileException& e) {
        if (path) *path = e.path;
        return e.error;
    }
    return 0;
}

}  // namespace

TEST_CASE("an existing destination is not replaced without overwrite: error 80, header back in front, file untouched") {
    quaytest::TempDir source('C'), target('D');
    const std::wstring from = source / L"new.bin", to = target / L"new.bin";
    const std::string bytes = quaytest::PatternBytes(70000, 1);
    quaytest::WriteBytes(from, bytes);
    quaytest::WriteBytes(to, "the old content");

    TestPool pool(1 << 20, 4096);
    CopyItemReader reader;
    CopyItemWriter writer;
    reader.Initialize(pool.get(), kChunk);
    writer.Initialize(pool.get(), kChunk, 0);
    Queue(reader, from);
    const std::vector<FileBufferQueueData> before = pool.Records();

    std::wstring path;
    CHECK_EQ(OpenError(writer, to, from, false, &path), uint32_t{ERROR_FILE_EXISTS});
    CHECK(path == to);
    CHECK(!writer.IsOpen());
    const std::vector<FileBufferQueueData> after = pool.Records();
    REQUIRE_EQ(after.size(), before.size());
    CHECK(after[0].IsHeader());
    CHECK(after[0].buffer == before[0].buffer);
    CHECK(after[0].path == from);
    CHECK_EQ(pool->GetUsedSize(), 4096u + 65536u + 8192u);  // header, 64 KiB, 4464 rounded up

    // Abort of a writer that opened nothing must not remove somebody else's file.
    writer.Abort();
    CHECK(quaytest::ReadBytes(to) == "the old content");

    // Asked again with overwrite (the user's answer), the same queued header serves.
    bool mustWait = false;
    writer.Open(to, from, true, mustWait);
    REQUIRE(!mustWait);
    WriteAll(writer);
    CHECK(quaytest::ReadBytes(to) == bytes);
    CHECK_EQ(pool->GetUsedSize(), 0u);
}

TEST_CASE("a read-only source is copied without the read-only bit but with its other attributes") {
    quaytest::TempDir source('C'), target('D');
    const std::wstring from = source / L"ro.bin", to = target / L"ro.bin";
    const std::string bytes = quaytest::PatternBytes(5000, 2);
    quaytest::WriteBytes(from, bytes);
    SetAttributes(from, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

    TestPool pool(1 << 20, 4096);
    {
        CopyPump pump(pool.get(), kChunk, kChunk, 0);
        pump.Add(from, to);
        pump.Run();
    }
    CHECK(quaytest::ReadBytes(to) == bytes);
    const DWORD attributes = FileData(to).dwFileAttributes;
    CHECK_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
    CHECK_EQ(attributes & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
    CHECK_EQ(FileData(from).dwFileAttributes & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
}

TEST_CASE("overwrite replaces a read-only destination and leaves it writable") {
    quaytest::TempDir source('C'), target('D');
    const std::wstring from = source / L"f.bin", to = target / L"f.bin";
    const std::string bytes = quaytest::PatternBytes(12345, 4);
    quaytest::WriteBytes(from, bytes);
    quaytest::WriteBytes(to, quaytest::PatternBytes(99999, 5));
    SetAttributes(to, FILE_ATTRIBUTE_READONLY);

    TestPool pool(1 << 20, 4096);
    CopyItemReader reader;
    CopyItemWriter writer;
    reader.Initialize(pool.get(), kChunk);
    writer.Initialize(pool.get(), kChunk, 0);
    Queue(reader, from);
    bool mustWait = false;
    writer.Open(to, from, true, mustWait);
    REQUIRE(!mustWait);
    WriteAll(writer);
    CHECK(quaytest::ReadBytes(to) == bytes);
    CHECK_EQ(FileSize(to), 12345u);
    CHECK_EQ(FileData(to).dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_CASE("a file another process holds without sharing fails (32, or 5 for a held replacement) and costs no buffer; retry works later") {
    quaytest::TempDir source('C'), target('D');
    const std::wstring from = source / L"held.bin", to = target / L"held.bin";
    const std::string bytes = quaytest::PatternBytes(30000, 6);
    quaytest::WriteBytes(from, bytes);
    TestPool pool(1 << 20, 4096);
    CopyItemReader reader;
    CopyItemWriter writer;
    reader.Initialize(pool.get(), kChunk);
    writer.Initialize(pool.get(), kChunk, 0);

    {
        CONTEXT("held source");
        FileHolder holder(from);
        bool mustWait = false;
        uint32_t error = 0;
        std::wstring path;
        try {
            reader.Open(from, from, false, mustWait);
        } catch (const WindowsFileException& e) {
            error = e.error;
            path = e.path;
        }
        CHECK_EQ(error, uint32_t{ERROR_SHARING_VIOLATION});
        CHECK(path == from);
        CHECK(!reader.IsOpen());
        CHECK_EQ(pool->GetQueueCount(), 0u);
        CHECK_EQ(pool->GetUsedSize(), 0u);
    }
    Queue(reader, from);  // the holder is gone: the retry opens it

    // The replacement is written beside the held file and fails only where it would take
    // the held file's place; that step is the retry.
    bool mustWait = false;
    {
        CONTEXT("held read-only destination, overwrite");
        quaytest::WriteBytes(to, "someone else's");
        SetAttributes(to, FILE_ATTRIBUTE_READONLY);
        FileHolder holder(to);
        writer.Open(to, from, true, mustWait);
        REQUIRE(!mustWait);
        uint64_t n = 0;
        while (writer.GetBytesWritten() < writer.GetFileSize()) writer.WriteNext(n, mustWait);
        uint32_t error = 0;
        try {
            writer.Finish();
        } catch (const WindowsFileException& e) {
            error = e.error;
        }
        // Sharing violation, or access denied where the held file's read-only attribute
        // could not be taken off for the rename (Wine).
        CHECK(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED);
        CHECK_EQ(pool->GetUsedSize(), 0u);
    }
    // Not replaced, so still protected, and still what it was.
    CHECK_EQ(FileData(to).dwFileAttributes & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    CHECK(quaytest::ReadBytes(to) == "someone else's");
    writer.Finish();
    writer.Close();
    CHECK(quaytest::ReadBytes(to) == bytes);
    CHECK_EQ(quaytest::ListNames(target.path()).size(), size_t{1});  // no temporary file left
}
