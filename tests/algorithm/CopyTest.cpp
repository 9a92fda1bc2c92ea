// Copies of real trees through the whole engine: every file arrives with its bytes, size
// and last-write time, whatever the drives, the walk order and the pool size.
#include <windows.h>

#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;

namespace {

const std::vector<Entry> kTree = {
    {L"empty.txt", 0},
    {L"one.bin", 1},
    {L"docs", -1},
    {L"docs\\five-thousand.dat", 5000},
    {L"docs\\big", -1},
    {L"docs\\big\\three-megabytes-and-seven.bin", static_cast<int64_t>(3 * MiB + 7)},
    {L"docs\\big\\beyond-one-read.bin", static_cast<int64_t>(17 * MiB + 3)},
    {L"docs\\nothing-inside", -1},
    {L"写真", -1},
    {L"写真\\夏の海.jpg", 70000},
    {L"zz-last.bin", 4096},
};

}  // namespace

TEST_CASE("a copied tree arrives complete: bytes, sizes, last-write times; the sources stay as they were") {
    struct Row {
        const char* name;
        wchar_t destinationDrive;
        int32_t foldersFirst;
        uint64_t pool;
        uint64_t readChunk;
    };
    const Row rows[] = {
        {"same drive, folders first", L'C', 1, 64 * MiB, 16 * MiB},
        {"same drive, one pass", L'C', 0, 64 * MiB, 16 * MiB},
        {"other drive, folders first", L'D', 1, 64 * MiB, 16 * MiB},
        {"other drive, one pass", L'D', 0, 64 * MiB, 16 * MiB},
        // The pool holds far less than the job: the reader fills it, the writer drains it,
        // over and over, and a file spans many bursts.
        {"same drive, pool of 2 MiB", L'C', 1, 2 * MiB, 1 * MiB},
        {"other drive, pool of 2 MiB", L'D', 0, 2 * MiB, 1 * MiB},
    };
    quaytest::TempDir source(L'C');
    Build(source / L"tree", kTree, 10);
    Build(source.path(), {{L"single file.txt", 12345}}, 90);
    const TreeFacts before = Snapshot(source.path());
    uint64_t totalBytes = 0;
    for (const auto& [name, facts] : before) totalBytes += facts.size;

    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir target(row.destinationDrive);
        auto option = JobOption({source / L"tree", source / L"single file.txt"}, target.path(), false);
        option.foldersFirst = row.foldersFirst;
        option.bufferPoolSize = row.pool;
        option.readChunkSize = row.readChunk;
        JobObserver observer;
        RunJob(option, observer);

        RequireNoComplaints(observer);
        CheckFrame(observer);
        CHECK_EQ(observer.Outline(), std::string("1000 2000 2100 2001 1001"));
        CheckTree(before, target.path());
        CheckTree(before, source.path());

        const std::vector<Seen> enumerated = observer.With(SluiceCoreEvent::Enumerated);
        REQUIRE_EQ(enumerated.size(), 1u);
        CHECK_EQ(enumerated[0].bytesTotal, totalBytes);
        // The last progress of each side comes when its cursor is done and is never thinned out.
        const std::vector<Seen> reads = observer.With(SluiceCoreEvent::ReadProgress);
        const std::vector<Seen> writes = observer.With(SluiceCoreEvent::WriteProgress);
        REQUIRE(!reads.empty() && !writes.empty());
        CHECK_EQ(reads.back().bytesRead, totalBytes);
        CHECK_EQ(writes.back().bytesWritten, totalBytes);
        CHECK(reads.back().readingPath.empty());
        CHECK(writes.back().writingPath.empty());
    }
}

TEST_CASE("hidden files and folders stay hidden at the destination") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source / L"s", {{L"visible.txt", 10}, {L"secret.txt", 20}, {L"cellar", -1}, {L"cellar\\wine.txt", 30}});
    SetFileAttributesW((source / L"s\\secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((source / L"s\\cellar").c_str(), FILE_ATTRIBUTE_HIDDEN);
    JobObserver observer;
    RunJob(JobOption({source / L"s"}, target.path(), false), observer);
    CheckFrame(observer);
    CheckTree(Snapshot(source / L"s"), target / L"s");
    CHECK(Facts(target / L"s\\secret.txt").attributes & FILE_ATTRIBUTE_HIDDEN);
    CHECK(Facts(target / L"s\\cellar").attributes & FILE_ATTRIBUTE_HIDDEN);
    CHECK(!(Facts(target / L"s\\visible.txt").attributes & FILE_ATTRIBUTE_HIDDEN));
}

TEST_CASE("folders first creates every folder before the first byte is written; one pass does not") {
    // Two sibling folders, each with a file: in one pre-order pass the first file is
    // written before the second folder exists, whichever folder the listing gives first.
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source / L"s", {{L"one", -1}, {L"one\\a.bin", 3000}, {L"two", -1}, {L"two\\b.bin", 3000}});
    for (int32_t foldersFirst : {1, 0}) {
        CONTEXT("foldersFirst " + std::to_string(foldersFirst));
        const std::wstring destination = target / (L"ff" + std::to_wstring(foldersFirst));
        quaytest::MakeDir(destination);
        int foldersAtFirstWrite = -1;
        CallbackTransfer watcher(CallbackTransfer::Callback(), [&](HANDLE, uint64_t, DWORD) -> DWORD {
            if (foldersAtFirstWrite < 0)
                foldersAtFirstWrite = quaytest::IsFolder(destination + L"\\s\\one") +
                                      quaytest::IsFolder(destination + L"\\s\\two");
            return 0;
        });
        AlgorithmHooks hooks;
        hooks.writerTransfer = &watcher;
        auto option = JobOption({source / L"s"}, destination, false);
        option.foldersFirst = foldersFirst;
        JobObserver observer;
        RunJob(option, observer, &hooks);
        CheckFrame(observer);
        CheckTree(Snapshot(source / L"s"), destination + L"\\s");
        CHECK_EQ(foldersAtFirstWrite, foldersFirst == 1 ? 2 : 1);
    }
}

TEST_CASE("Japanese names and paths beyond 260 characters are copied like any other") {
    quaytest::TempDir source(L'C'), target(L'D');
    std::wstring deep = L"日本語のフォルダー";
    const std::wstring segment(60, L'長');
    for (int i = 0; i < 5; ++i) deep += L"\\" + segment + std::to_wstring(i);
    std::vector<Entry> entries = {{deep, -1},
                                  {deep + L"\\とても深いところのファイル.txt", 4321},
                                  {L"日本語のフォルダー\\説明書.txt", 99},
                                  {L"ｶﾀｶﾅ・ひらがな.bin", 1 * static_cast<int64_t>(MiB)}};
    Build(source / L"s", entries);
    REQUIRE((target / L"s\\" + deep + L"\\とても深いところのファイル.txt").size() > 300);
    JobObserver observer;
    RunJob(JobOption({source / L"s"}, target.path(), false), observer);
    RequireNoComplaints(observer);
    CheckFrame(observer);
    CheckTree(Snapshot(source / L"s"), target / L"s");
}
