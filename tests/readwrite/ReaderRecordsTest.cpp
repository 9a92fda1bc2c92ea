// What the reader puts into the queue, and what it asks of the file system to get it.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "CopyItemReader.h"
#include "CopyItemWriter.h"
#include "RecordingTransfer.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestPool.h"

using Marlin::Sluice::CopyItemReader;
using Marlin::Sluice::CopyItemWriter;
using Marlin::Sluice::FileBufferQueueData;
using Marlin::Sluice::SluiceException;
using namespace rwtest;

namespace {

constexpr uint64_t MiB = 1024 * 1024;

// Reads a whole file into the queue and returns it there.
void ReadAll(CopyItemReader& reader, const std::wstring& path, const std::wstring& headerPath) {
    bool mustWait = true, queued = false;
    reader.Open(path, headerPath, true, mustWait);
    REQUIRE(!mustWait);
    while (reader.GetBytesRead() < reader.GetFileSize()) {
        reader.ReadNext(queued, mustWait);
        REQUIRE(!mustWait);
        REQUIRE(queued);
    }
}

}  // namespace

TEST_CASE("a file becomes its header record, then data records covering it in order, read in aligned requests") {
    struct Row {
        const char* name;
        uint64_t size;
        uint32_t alignment;
        std::vector<uint64_t> recordLengths;
        std::vector<DWORD> requestSizes;
    };
    const Row rows[] = {
        {"empty file", 0, 4096, {}, {}},
        {"5000 bytes, alignment 4096", 5000, 4096, {5000}, {8192}},
        {"5000 bytes, no alignment", 5000, 0, {5000}, {5000}},
        {"16 MiB + 1, alignment 4096", 16 * MiB + 1, 4096, {16 * MiB, 1}, {16 * MiB, 4096}},
        {"16 MiB + 1, no alignment", 16 * MiB + 1, 0, {16 * MiB, 1}, {16 * MiB, 1}},
    };
    quaytest::TempDir dir;
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring path = dir / L"source.bin";
        const std::string bytes = quaytest::PatternBytes(row.size, 7);
        quaytest::WriteBytes(path, bytes);
        BY_HANDLE_FILE_INFORMATION expected{};
        {
            Marlin::FileHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            REQUIRE(GetFileInformationByHandle(h.get(), &expected));
        }

        TestPool pool(40 * MiB, row.alignment);
        RecordingTransfer transfer;
        CopyItemReader reader;
        reader.Initialize(pool.get(), 16 * MiB);
        reader.SetTransfer(&transfer);
        // A header path unlike the open path shows which record carries which.
        ReadAll(reader, path, L"header name");
        CHECK_EQ(reader.GetFileSize(), row.size);
        CHECK_EQ(reader.GetBytesRead(), row.size);
        CHECK(reader.GetOpenPath() == path);
        CHECK(reader.GetCurrentPath() == L"header name");

        std::vector<FileBufferQueueData> records = pool.Records();
        REQUIRE_EQ(records.size(), row.recordLengths.size() + 1);
        CHECK(records[0].IsHeader());
        CHECK(records[0].path == L"header name");
        CHECK_EQ(records[0].length, CopyItemReader::HeaderLength);
        BY_HANDLE_FILE_INFORMATION header;
        std::memcpy(&header, records[0].buffer, sizeof header);
        CHECK_EQ(header.nFileSizeLow, expected.nFileSizeLow);
        CHECK_EQ(header.nFileSizeHigh, expected.nFileSizeHigh);
        CHECK_EQ(header.dwFileAttributes, expected.dwFileAttributes);
        CHECK_EQ(header.ftLastWriteTime.dwLowDateTime, expected.ftLastWriteTime.dwLowDateTime);
        CHECK_EQ(header.nFileIndexLow, expected.nFileIndexLow);

        std::string queued;
        for (size_t i = 1; i < records.size(); ++i) {
            CONTEXT("record " + std::to_string(i));
            CHECK(records[i].path == path);
            CHECK_EQ(static_cast<uint64_t>(records[i].offset), queued.size());
            CHECK_EQ(records[i].length, row.recordLengths[i - 1]);
            queued.append(static_cast<const char*>(records[i].buffer), records[i].length);
        }
        CHECK(queued == bytes);

        std::vector<RecordingTransfer::Request> reads = transfer.Reads();
        REQUIRE_EQ(reads.size(), row.requestSizes.size());
        uint64_t offset = 0;
        for (size_t i = 0; i < reads.size(); ++i) {
            CONTEXT("read " + std::to_string(i));
            CHECK_EQ(reads[i].size, row.requestSizes[i]);
            CHECK_EQ(reads[i].offset, offset);
            CHECK_EQ(reads[i].unbuffered, row.alignment != 0);
            if (row.alignment != 0) {
                CHECK_EQ(reads[i].size % row.alignment, 0u);
                CHECK_EQ(reads[i].offset % row.alignment, 0u);
            }
            offset += reads[i].transferred;
        }
        reader.Abort();
        CHECK_EQ(pool->GetQueueCount(), 0u);
        CHECK_EQ(pool->GetUsedSize(), 0u);
    }
}

TEST_CASE("with the pool full the reader waits and leaves the file, the queue and the pool as they were") {
    quaytest::TempDir dir;
    const std::wstring path = dir / L"source.bin";
    const std::string bytes = quaytest::PatternBytes(20000, 3);
    quaytest::WriteBytes(path, bytes);

    // Room for the header and one 8 KiB chunk, not for a second one.
    TestPool pool(3 * 4096, 4096);
    RecordingTransfer transfer;
    CopyItemReader reader;
    reader.Initialize(pool.get(), 8192);
    reader.SetTransfer(&transfer);
    bool mustWait = false, queued = false;
    reader.Open(path, path, false, mustWait);
    REQUIRE(!mustWait);
    reader.ReadNext(queued, mustWait);
    REQUIRE(queued);

    reader.ReadNext(queued, mustWait);
    CHECK(mustWait);
    CHECK(!queued);
    CHECK_EQ(reader.GetBytesRead(), 8192u);
    CHECK_EQ(pool->GetQueueCount(), 2u);
    CHECK_EQ(pool->GetUsedSize(), 3u * 4096);
    CHECK_EQ(transfer.Reads().size(), 1u);

    // A second file cannot even queue its header: nothing is opened.
    CopyItemReader other;
    other.Initialize(pool.get(), 8192);
    other.Open(path, path, false, mustWait);
    CHECK(mustWait);
    CHECK(!other.IsOpen());
    CHECK_EQ(pool->GetQueueCount(), 2u);

    // Once the writer has taken the header and written the first chunk, the reader goes
    // on where it stopped.
    CopyItemWriter writer;
    writer.Initialize(pool.get(), 8192, 0);
    writer.Open(dir / L"copy.bin", path, false, mustWait);
    REQUIRE(!mustWait);
    uint64_t written = 0;
    writer.WriteNext(written, mustWait);
    REQUIRE_EQ(written, 8192u);
    reader.ReadNext(queued, mustWait);
    CHECK(queued);
    REQUIRE_EQ(transfer.Reads().size(), 2u);
    CHECK_EQ(transfer.Reads()[1].offset, 8192u);
    writer.Abort();
    reader.Abort();
}

TEST_CASE("a reader or writer without a pool, or with a chunk size of 0, is refused") {
    TestPool pool(65536, 4096);
    struct Row {
        const char* name;
        bool withPool;
        uint64_t chunk;
    };
    const Row rows[] = {{"no pool", false, 65536}, {"chunk of 0", true, 0}};
    for (const Row& row : rows) {
        CONTEXT(row.name);
        auto* manager = row.withPool ? pool.get() : nullptr;
        int32_t readerType = 0, writerType = 0;
        try {
            CopyItemReader().Initialize(manager, row.chunk);
        } catch (const SluiceException& e) {
            readerType = e.type;
        }
        try {
            CopyItemWriter().Initialize(manager, row.chunk, 0);
        } catch (const SluiceException& e) {
            writerType = e.type;
        }
        CHECK_EQ(readerType, 1);
        CHECK_EQ(writerType, 1);
    }
}
