// The user's cancel while the reader and the writer are both busy: both stop, the file the
// writer had not finished is gone, the files finished before stay, and a move keeps
// every source whose copy was not complete.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "MoveWatch.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

TEST_CASE("cancel while both threads run: both stop, the unfinished copy is gone, finished ones stay") {
    struct Row {
        const char* name;
        wchar_t drive;
        bool move;
    };
    const Row rows[] = {{"copy to another drive", L'D', false},
                        {"move to another drive", L'D', true},
                        {"copy on the same drive", L'C', false}};
    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(row.drive);
        Build(source.path(), {{L"done.bin", static_cast<int64_t>(300 * KiB)}, {L"big.bin", static_cast<int64_t>(40 * MiB)}},
              1);
        const TreeFacts sources = Snapshot(source.path());

        JobObserver observer;
        MoveWatch watch;
        watch.Watch(source.path(), sources, target.path());
        observer.SetCheck([&](const Seen&) { watch.Check(); });
        // The user presses cancel once the writer is well into the big file, while the
        // reader is still reading it (the pool holds only a part of it).
        std::atomic<bool> cancelled{false};
        CallbackTransfer writes(CallbackTransfer::Callback(), [&](HANDLE, uint64_t offset, DWORD) -> DWORD {
            watch.Check();
            if (offset >= 4 * MiB && !cancelled.exchange(true)) SetEvent(observer.CancelEvent());
            return 0;
        });
        AlgorithmHooks hooks;
        hooks.writerTransfer = &writes;
        auto option = JobOption({source / L"done.bin", source / L"big.bin"}, target.path(), row.move);
        option.bufferPoolSize = 8 * MiB;
        option.readChunkSize = 1 * MiB;
        RunJob(option, observer, &hooks);

        RequireNoComplaints(observer);
        CHECK(watch.Problems().empty());
        CheckFrame(observer, true);
        REQUIRE(cancelled.load());
        CheckBothThreadsCancelled(observer);
        CHECK_EQ(observer.Count(SluiceCoreEvent::Question), 0u);

        CHECK(!quaytest::Exists(target / L"big.bin"));
        CheckFile(sources.at(L"done.bin"), target / L"done.bin");
        CheckFile(sources.at(L"big.bin"), source / L"big.bin");
        CHECK_EQ(quaytest::Exists(source / L"done.bin"), !row.move);
    }
}

TEST_CASE("a cancel given as soon as the job is announced stops both threads before anything is copied") {
    struct Row {
        const char* name;
        wchar_t drive;
    };
    const Row rows[] = {{"to another drive", L'D'}, {"on the same drive", L'C'}};
    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(row.drive);
        Build(source / L"s", {{L"a.bin", 4096}, {L"b.bin", 100}, {L"c", -1}, {L"c\\d.bin", 70000}});
        JobObserver observer;
        // The user presses cancel while the totals are shown, before either thread has begun.
        observer.SetCheck([&](const Seen& seen) {
            if (seen.code == SluiceCoreEvent::Enumerated) SetEvent(observer.CancelEvent());
        });
        RunJob(JobOption({source / L"s"}, target.path(), false), observer);

        RequireNoComplaints(observer);
        CheckFrame(observer, true);
        CheckBothThreadsCancelled(observer);
        CHECK(!quaytest::Exists(target / L"s"));
    }
}
