// The user's cancel at random points of a copy and of a move of the mixed tree to another
// drive letter: whatever the moment, no incomplete destination file remains, every file
// at the destination is byte for byte its source, and a move keeps every source file
// that has no complete copy. The points are counted in the engine's own steps (each read
// and write request and each notification after the totals), chosen with a printed seed.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>

#include "CallbackTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "MoveMatrix.h"
#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;

namespace {

// One job, cancelled once `cancelAt` engine steps have begun (0: never); returns the
// number of steps the job took.
struct CancelledJob {
    uint64_t steps = 0;
    bool cancelled = false;
    std::vector<std::string> complaints;
};

CancelledJob RunCancelled(const std::wstring& source, const std::wstring& destination, bool move,
                          uint64_t cancelAt) {
    JobObserver observer;
    std::atomic<uint64_t> steps{0};
    std::atomic<bool> cancelled{false};
    auto step = [&] {
        const uint64_t n = ++steps;
        if (cancelAt != 0 && n == cancelAt && observer.CancelEvent() && !cancelled.exchange(true))
            SetEvent(observer.CancelEvent());
    };
    observer.SetCheck([&](const Seen& seen) {
        if (seen.code != SluiceCoreEvent::Started && seen.code != SluiceCoreEvent::CopyStarted &&
            seen.code != SluiceCoreEvent::Ended)
            step();
    });
    const CallbackTransfer::Callback count = [&](HANDLE, uint64_t, DWORD) -> DWORD {
        step();
        return 0;
    };
    CallbackTransfer reads(count, CallbackTransfer::Callback()), writes(CallbackTransfer::Callback(), count);
    AlgorithmHooks hooks;
    hooks.readerTransfer = &reads;
    hooks.writerTransfer = &writes;
    RunJob(JobOption({source}, destination, move), observer, &hooks);
    CancelledJob job;
    job.steps = steps.load();
    job.cancelled = cancelled.load();
    job.complaints = observer.Complaints();
    CheckFrame(observer, job.cancelled);
    return job;
}

}  // namespace

TEST_CASE("a copy or a move cancelled at random points leaves only complete copies and keeps every source") {
    const movetest::MatrixPlan plan = movetest::PlanFromEnvironment("cancel", 24);
    std::mt19937 random(plan.seed);

    // How many steps a whole job takes, for each kind: the range the points are drawn from.
    uint64_t wholeJob[2] = {0, 0};
    for (bool move : {false, true}) {
        CONTEXT(move ? "an uncancelled move" : "an uncancelled copy");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"tree", movetest::MixedTree(), 7);
        const TreeFacts tree = Snapshot(source / L"tree");
        const CancelledJob job = RunCancelled(source / L"tree", target.path(), move, 0);
        CheckTree(tree, target / L"tree");
        CHECK_EQ(quaytest::Exists(source / L"tree"), !move);
        wholeJob[move] = job.steps;
        REQUIRE(job.steps > 2);
    }

    int cancelled[2] = {0, 0}, movedBefore = 0;
    for (int i = 0; i < plan.count; ++i) {
        const bool move = (random() & 1) != 0;
        const uint64_t at = 1 + random() % wholeJob[move];
        CONTEXT(std::string(move ? "move" : "copy") + " cancelled at step " + std::to_string(at) + " of " +
                std::to_string(wholeJob[move]) + " (point " + std::to_string(i + 1) + ", seed " +
                std::to_string(plan.seed) + ")");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"tree", movetest::MixedTree(), 7);
        const TreeFacts tree = Snapshot(source / L"tree");
        const CancelledJob job = RunCancelled(source / L"tree", target.path(), move, at);
        for (const std::string& c : job.complaints) CHECK_EQ(c, std::string());
        const movetest::Outcome outcome =
            movetest::CheckInterrupted(tree, source / L"tree", target / L"tree", false);
        for (const std::string& p : outcome.problems) CHECK_EQ(p, std::string());
        if (!move) CHECK_EQ(outcome.sourcesGone, 0);
        if (job.cancelled) ++cancelled[move];
        if (outcome.sourcesGone > 0) ++movedBefore;
    }
    std::printf("cancel matrix: %d copies and %d moves cancelled (the rest had ended first), %d moves had "
                "deleted sources before the cancel\n",
                cancelled[0], cancelled[1], movedBefore);
}
