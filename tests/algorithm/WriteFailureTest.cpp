// A destination that fails while it is written: the writer asks, retry goes on at the
// failed chunk, skip drops the file (and its half-written copy) and the job goes on with
// the next file, even while the reader is still busy with the dropped one.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "UniqueHandle.h"
#include "MoveWatch.h"
#include "Paths.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::PathEquals;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

TEST_CASE("a write that fails with a full disk: retry continues the file, skip drops it and goes on") {
    struct Row {
        const char* name;
        int32_t answer;
        bool move;
    };
    const Row rows[] = {
        {"retry, copy", SluiceCoreEvent::Retry, false},
        {"skip, copy", SluiceCoreEvent::Skip, false},
        {"skip, move", SluiceCoreEvent::Skip, true},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source.path(), {{L"x.bin", static_cast<int64_t>(24 * MiB + 17)}, {L"y.txt", 3000}}, 1);
        const TreeFacts sources = Snapshot(source.path());

        // The disk is full once, as the writer gets to the second mebibyte of x.bin. The
        // reader is held at x.bin's fifth mebibyte until the user has answered and a
        // moment more, so that it queues the rest of x.bin after the writer's reaction.
        std::atomic<bool> failed{false};
        Marlin::KernelHandle answered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        CallbackTransfer reads([&](HANDLE, uint64_t offset, DWORD) -> DWORD {
            if (offset >= 4 * MiB && WaitForSingleObject(answered.get(), 0) != WAIT_OBJECT_0) {
                WaitForSingleObject(answered.get(), 30000);
                Sleep(300);
            }
            return 0;
        });
        CallbackTransfer writes(CallbackTransfer::Callback(), [&](HANDLE, uint64_t offset, DWORD) -> DWORD {
            return offset >= 1 * MiB && !failed.exchange(true) ? ERROR_DISK_FULL : 0;
        });
        AlgorithmHooks hooks;
        hooks.readerTransfer = &reads;
        hooks.writerTransfer = &writes;
        JobObserver observer;
        MoveWatch watch;
        watch.Watch(source.path(), sources, target.path());
        observer.SetCheck([&](const Seen&) { watch.Check(); });
        observer.SetScript([&](const Seen& question) {
            SetEvent(answered.get());
            if (question.type != SluiceException::RetryQuestion || question.error != ERROR_DISK_FULL)
                return Reply{SluiceCoreEvent::Cancel};
            return Reply{row.answer};
        });
        auto option = JobOption({source / L"x.bin", source / L"y.txt"}, target.path(), row.move);
        option.readChunkSize = 1 * MiB;
        option.writeChunkSize = 1 * MiB;
        RunJob(option, observer, &hooks);
        SetEvent(answered.get());

        RequireNoComplaints(observer);
        CHECK(watch.Problems().empty());
        CheckFrame(observer);
        const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
        REQUIRE_EQ(questions.size(), 1u);
        CHECK(PathEquals(questions[0].path, target / L"x.bin"));

        CheckFile(sources.at(L"y.txt"), target / L"y.txt");
        CHECK_EQ(quaytest::Exists(source / L"y.txt"), !row.move);
        if (row.answer == SluiceCoreEvent::Retry) {
            CheckFile(sources.at(L"x.bin"), target / L"x.bin");
        } else {
            CHECK(!quaytest::Exists(target / L"x.bin"));
            CheckFile(sources.at(L"x.bin"), source / L"x.bin");
        }
    }
}
