// The copy keeps the source's last-write time, also when its end had to be trimmed after
// an unbuffered last write, and also where the system lacks SetFileInformationByHandle.
#include <windows.h>

#include <string>

#include "CopyItemReader.h"
#include "CopyItemWriter.h"
#include "ReadWriteFiles.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestPool.h"
#include "WriterWithoutSetFileInformation.h"

using Marlin::Sluice::CopyItemReader;
using Marlin::Sluice::CopyItemWriter;
using namespace rwtest;

namespace {

constexpr uint64_t AllOnes = ~uint64_t{0};

void Copy(TestPool& pool, CopyItemWriter& writer, uint64_t threshold, const std::wstring& from,
          const std::wstring& to) {
    CopyItemReader reader;
    reader.Initialize(pool.get(), 65536);
    writer.Initialize(pool.get(), 65536, threshold);
    bool mustWait = false, queued = false;
    uint64_t n = 0;
    reader.Open(from, from, false, mustWait);
    while (reader.GetBytesRead() < reader.GetFileSize()) reader.ReadNext(queued, mustWait);
    reader.Close();
    writer.Open(to, from, false, mustWait);
    REQUIRE(!mustWait);
    while (writer.GetBytesWritten() < writer.GetFileSize()) writer.WriteNext(n, mustWait);
    writer.Finish();
    writer.Close();
}

}  // namespace

TEST_CASE("the copy has the source's last-write time and size, trimmed or not, with or without SetFileInformationByHandle") {
    struct Row {
        const char* name;
        uint64_t size;
        uint32_t alignment;
        uint64_t threshold;
        bool withSetFileInformation;
    };
    const Row rows[] = {
        {"padded unbuffered write, trimmed", 5000, 4096, 0, true},
        {"padded buffered write, trimmed", 5000, 4096, AllOnes, true},
        {"no alignment, nothing to trim", 5000, 0, 0, true},
        {"exact multiple of the alignment", 8192, 4096, 0, true},
        {"empty file", 0, 4096, 0, true},
        {"trimmed through a reopened handle", 5000, 4096, 0, false},
        {"sized through the file pointer, buffered", 70001, 4096, AllOnes, false},
        {"no alignment, through the file pointer", 70001, 0, 0, false},
    };
    const FILETIME when = Moment(2001, 2, 3, 4, 5, 6);
    quaytest::TempDir source('C'), target('D');
    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring from = source / L"dated.bin", to = target / L"dated.bin";
        const std::string bytes = quaytest::PatternBytes(row.size, 21);
        quaytest::WriteBytes(from, bytes);
        SetLastWriteTime(from, when);

        TestPool pool(1 << 20, row.alignment);
        WriterWithoutSetFileInformation fallback;
        CopyItemWriter normal;
        Copy(pool, row.withSetFileInformation ? normal : fallback, row.threshold, from, to);

        CHECK(quaytest::ReadBytes(to) == bytes);
        CHECK_EQ(FileSize(to), row.size);
        const FILETIME got = LastWriteTime(to);
        if (!CHECK(SameTime(got, when))) CONTEXT("copy's last-write time " + Show(got));
        CHECK(SameTime(LastWriteTime(from), when));
        quaytest::RemoveTree(to);
    }
}
