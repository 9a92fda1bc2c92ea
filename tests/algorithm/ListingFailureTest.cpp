// A folder of a job that is there but cannot be listed: the job asks about that folder as
// it asks about any item's error, before anything is copied. Retry lists it again, skip
// leaves it (and for a move its source) out, cancel ends the job; no answer lets the job
// report success with the folder's contents left behind.
#include <windows.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BreakingSearch.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "Paths.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::PathEquals;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

TEST_CASE("a folder that cannot be listed is asked about: retry copies it, skip leaves it and its source, cancel ends") {
    struct Row {
        const char* name;
        int32_t answer;
        bool move;
        int entriesFirst;  // -1: refused at once; n: broken off after n entries
    };
    const Row rows[] = {
        {"refused, retry, copy", SluiceCoreEvent::Retry, false, -1},
        {"broken off, retry, move", SluiceCoreEvent::Retry, true, 3},
        {"refused, skip, copy", SluiceCoreEvent::Skip, false, -1},
        {"broken off, skip, move", SluiceCoreEvent::Skip, true, 3},
        {"refused, cancel, move", SluiceCoreEvent::Cancel, true, -1},
    };
    const std::vector<Entry> tree = {{L"a.txt", 1000},     {L"d", -1},          {L"d\\e.bin", 5000},
                                     {L"d\\f.bin", 7000}, {L"d\\g", -1},        {L"d\\g\\h.txt", 300},
                                     {L"z.txt", 2000}};
    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"s", tree, 23);
        const TreeFacts before = Snapshot(source / L"s");

        auto breakage = std::make_shared<enumtest::Breakage>();
        breakage->pattern = source / L"s\\d\\*";
        breakage->entriesFirst = row.entriesFirst;
        AlgorithmHooks hooks;
        hooks.search = enumtest::BreakingSearch::Maker(breakage);
        JobObserver observer;
        observer.SetScript([&](const Seen& question) {
            if (question.type != SluiceException::RetryQuestion) return Reply{SluiceCoreEvent::Cancel};
            // A skipped folder keeps its parent from being removed.
            if (question.error == ERROR_DIR_NOT_EMPTY) return Reply{SluiceCoreEvent::Skip};
            return Reply{row.answer};
        });
        RunJob(JobOption({source / L"s"}, target.path(), row.move), observer, &hooks);

        RequireNoComplaints(observer);
        const bool cancelled = row.answer == SluiceCoreEvent::Cancel;
        CheckFrame(observer, cancelled);
        CHECK_EQ(breakage->broken, 1);
        const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
        REQUIRE(!questions.empty());
        CHECK_EQ(questions[0].error, uint32_t{ERROR_ACCESS_DENIED});
        CHECK(PathEquals(questions[0].path, source / L"s\\d"));
        // Asked before the totals were reported: nothing was copied on a guess.
        const std::string outline = observer.Outline();
        CHECK(outline.find("2003") < outline.find("2100"));

        if (cancelled) {
            CHECK_EQ(observer.Outline(), std::string("1000 2000 2003 2002 2001 1001"));
            CHECK_EQ(observer.With(SluiceCoreEvent::Error).at(0).type, SluiceException::Cancelled);
            CHECK(!quaytest::Exists(target / L"s"));
            CheckTree(before, source / L"s");
        } else if (row.answer == SluiceCoreEvent::Retry) {
            CHECK_EQ(questions.size(), 1u);
            CheckTree(before, target / L"s");
            CHECK_EQ(quaytest::Exists(source / L"s"), !row.move);
        } else {
            TreeFacts expected = before;
            for (auto it = expected.begin(); it != expected.end();)
                it = it->first == L"d" || it->first.rfind(L"d\\", 0) == 0 ? expected.erase(it) : std::next(it);
            CheckTree(expected, target / L"s");
            if (row.move) {
                // What was copied went; the folder that was not listed stayed with everything in it.
                CheckTree(Subtree(before, L"d"), source / L"s\\d");
                CHECK(!quaytest::Exists(source / L"s\\a.txt"));
                CHECK(!quaytest::Exists(source / L"s\\z.txt"));
            } else {
                CheckTree(before, source / L"s");
            }
        }
    }
}
