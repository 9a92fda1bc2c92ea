// Jobs whose sources overlap (C:\a and C:\a\b) or repeat (one path twice): one file is then
// an item of two trees. Each tree's copy stands on its own: giving up one item drops that
// item's queued data only, and a path given twice is copied once.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "Paths.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

using namespace algotest;
using Marlin::PathEquals;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

TEST_CASE("overlapping sources: a file given up by the writer in one tree is still copied whole in the other") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source / L"a", {{L"b", -1}, {L"b\\f.bin", static_cast<int64_t>(3 * MiB + 5)}}, 21);
    const FileFacts f = Facts(source / L"a\\b\\f.bin");

    // The first tree's f.bin fails at its first write, and the question is asked only once
    // the reader has queued the start of the second tree's f.bin: the header and the first
    // mebibyte, read before the second read at 1 MiB.
    Marlin::KernelHandle secondTreeQueued(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> readsAtOneMiB{0};
    std::atomic<bool> failed{false};
    CallbackTransfer reads([&](HANDLE, uint64_t offset, DWORD) -> DWORD {
        if (offset == 1 * MiB && ++readsAtOneMiB == 2) SetEvent(secondTreeQueued.get());
        return 0;
    });
    std::atomic<bool> waitedForSecondTree{false};
    CallbackTransfer writes(CallbackTransfer::Callback(), [&](HANDLE, uint64_t offset, DWORD) -> DWORD {
        if (offset != 0 || failed.exchange(true)) return 0;
        // A guard against a reader that never gets there; the check below fails the test then.
        waitedForSecondTree = WaitForSingleObject(secondTreeQueued.get(), 60000) == WAIT_OBJECT_0;
        return ERROR_DISK_FULL;
    });
    AlgorithmHooks hooks;
    hooks.readerTransfer = &reads;
    hooks.writerTransfer = &writes;
    JobObserver observer;
    observer.SetScript([&](const Seen& question) {
        if (question.type != SluiceException::RetryQuestion || question.error != ERROR_DISK_FULL)
            return Reply{SluiceCoreEvent::Cancel};
        return Reply{SluiceCoreEvent::Skip};
    });
    auto option = JobOption({source / L"a", source / L"a\\b"}, target.path(), false);
    option.readChunkSize = 1 * MiB;
    option.writeChunkSize = 1 * MiB;
    RunJob(option, observer, &hooks);
    SetEvent(secondTreeQueued.get());

    RequireNoComplaints(observer);
    CheckFrame(observer);
    CHECK(waitedForSecondTree.load());
    const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
    REQUIRE_EQ(questions.size(), 1u);
    CHECK(PathEquals(questions[0].path, target / L"a\\b\\f.bin"));
    CHECK(!quaytest::Exists(target / L"a\\b\\f.bin"));
    CHECK(quaytest::Exists(target / L"a\\b"));
    CheckFile(f, target / L"b\\f.bin");
}

TEST_CASE("a source given twice is copied once, without a question about its own copy") {
    struct Row {
        const char* name;
        bool move;
        wchar_t targetDrive;
        const wchar_t* second;  // how the path is given the second time
    };
    const Row rows[] = {
        {"copy, the same text", false, L'D', L"a"},
        {"copy, other case and a trailing backslash", false, L'D', L"A\\"},
        {"move to another drive", true, L'D', L"a"},
        {"move on the same drive", true, L'C', L"A"},
    };
    const std::vector<Entry> tree = {{L"x.txt", 3000}, {L"d", -1}, {L"d\\y.bin", 70000}};
    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(row.targetDrive);
        Build(source / L"a", tree, 22);
        const TreeFacts before = Snapshot(source / L"a");

        JobObserver observer;
        RunJob(JobOption({source / L"a", source / row.second}, target.path(), row.move), observer);

        RequireNoComplaints(observer);
        CheckFrame(observer);
        CHECK_EQ(observer.Count(SluiceCoreEvent::Question), 0u);
        CheckTree(before, target / L"a");
        CHECK_EQ(quaytest::Exists(source / L"a"), !row.move);
        if (const auto enumerated = observer.With(SluiceCoreEvent::Enumerated); !enumerated.empty())
            CHECK_EQ(enumerated.at(0).bytesTotal, 73000u);
    }
}
