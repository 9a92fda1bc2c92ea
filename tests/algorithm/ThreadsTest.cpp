// The two copy threads as the run sees them: however late either one starts, the run
// ends only after both have ended, and what they copied is complete by then.
#include <windows.h>

#include <string>
#include <vector>

#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;

TEST_CASE("a copy thread that starts late still does all its work before the run reports its end") {
    struct Row {
        const char* name;
        int lateThread;
        bool move;
        wchar_t drive;
    };
    const Row rows[] = {
        {"late writer, copy on one drive", 2, false, L'C'},
        {"late writer, move to another drive", 2, true, L'D'},
        {"late reader, copy to another drive", 1, false, L'D'},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(row.drive);
        Build(source / L"s", {{L"a.txt", 10}, {L"b.bin", 20000}, {L"c", -1}, {L"c\\d.txt", 30}});
        const TreeFacts sources = Snapshot(source / L"s");

        AlgorithmHooks hooks;
        hooks.lateThread = row.lateThread;
        hooks.lateByMs = 700;
        JobObserver observer;
        // The run is over once 2001 is delivered: everything must be in place by then.
        bool completeAtEnd = false;
        observer.SetCheck([&](const Seen& seen) {
            if (seen.code != SluiceCoreEvent::Finished) return;
            completeAtEnd = quaytest::Exists(target / L"s\\c\\d.txt") && quaytest::Exists(target / L"s\\b.bin") &&
                            quaytest::Exists(target / L"s\\a.txt");
        });
        RunJob(JobOption({source / L"s"}, target.path(), row.move), observer, &hooks);

        RequireNoComplaints(observer);
        CheckFrame(observer);
        CHECK(completeAtEnd);
        CheckTree(sources, target / L"s");
        CHECK_EQ(quaytest::Exists(source / L"s"), !row.move);
    }
}
