// The real Quaysail.exe moving the mixed tree to another drive letter, killed with
// TerminateProcess at random points: after every kill, each source file is still at the
// source or complete and byte for byte at the destination, and a leftover incomplete copy
// never carries its source's last-write time. The points are counted in the changes the
// file system reports below the source and the destination (creations, writes, size
// changes, deletions), so they fall into the copy and the delete phase alike; they are
// drawn with a printed seed.
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "DirectoryWatch.h"
#include "JobFiles.h"
#include "MoveMatrix.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

using namespace algotest;

namespace {

// The program as the build put it.
std::wstring ProgramPath() { return quaytest::LinuxPathOnZ(QUAYSAIL_EXE_PATH); }

struct Run {
    uint64_t changes = 0;   // what the watches counted until the end or the kill
    bool killed = false;
    DWORD exitCode = 0;
};

// Moves source into destination with the real program and kills it once the watches have
// counted killAt changes (0: never).
Run MoveAndKill(const std::wstring& source, const std::wstring& watchedSource, const std::wstring& destination,
                uint64_t killAt) {
    movetest::DirectoryWatch sourceWatch(watchedSource), destinationWatch(destination);
    if (!sourceWatch.Watching() || !destinationWatch.Watching())
        SKIP("the folders cannot be watched for changes here (error " + std::to_string(GetLastError()) + ")");

    const std::wstring program = ProgramPath();
    std::wstring line = L"\"" + program + L"\" -m \"" + source + L"\" \"" + destination + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        FAIL("cannot start " + quaytest::Utf8(program) + ": error " + std::to_string(GetLastError()));
    Marlin::KernelHandle thread(info.hThread);
    Marlin::KernelHandle process(info.hProcess);

    Run run;
    const HANDLE waits[] = {process.get(), sourceWatch.Event(), destinationWatch.Event()};
    for (;;) {
        const DWORD which = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0) break;
        if (which == WAIT_OBJECT_0 + 1) run.changes += sourceWatch.Collect();
        else if (which == WAIT_OBJECT_0 + 2) run.changes += destinationWatch.Collect();
        else FAIL("waiting for the program failed: error " + std::to_string(GetLastError()));
        if (killAt != 0 && run.changes >= killAt) {
            run.killed = TerminateProcess(process.get(), 9) != FALSE;
            WaitForSingleObject(process.get(), INFINITE);
            break;
        }
    }
    GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

}  // namespace

TEST_CASE("a move killed at random points never loses a file and leaves no leftover that passes for a copy") {
    const movetest::MatrixPlan plan = movetest::PlanFromEnvironment("crash", 30);
    std::mt19937 random(plan.seed);

    uint64_t wholeJob = 0;
    {
        CONTEXT("the whole move, not killed");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"tree", movetest::MixedTree(), 11);
        const TreeFacts tree = Snapshot(source / L"tree");
        const Run run = MoveAndKill(source / L"tree", source.path(), target.path(), 0);
        REQUIRE_EQ(run.exitCode, DWORD{0});
        CheckTree(tree, target / L"tree");
        CHECK(!quaytest::Exists(source / L"tree"));
        if (run.changes < 2) SKIP("the file system reported no changes of the move: no points to kill it at");
        wholeJob = run.changes;
    }

    int killed = 0, inDeletePhase = 0, leftovers = 0;
    for (int i = 0; i < plan.count; ++i) {
        const uint64_t at = 1 + random() % wholeJob;
        CONTEXT("killed after change " + std::to_string(at) + " of about " + std::to_string(wholeJob) + " (point " +
                std::to_string(i + 1) + ", seed " + std::to_string(plan.seed) + ")");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"tree", movetest::MixedTree(), 11);
        const TreeFacts tree = Snapshot(source / L"tree");
        const Run run = MoveAndKill(source / L"tree", source.path(), target.path(), at);
        const movetest::Outcome outcome = movetest::CheckInterrupted(tree, source / L"tree", target / L"tree", true);
        for (const std::string& p : outcome.problems) CHECK_EQ(p, std::string());
        if (run.killed) ++killed;
        if (run.killed && outcome.sourcesGone > 0) ++inDeletePhase;
        leftovers += outcome.leftovers;
    }
    std::printf("crash matrix: %d of %d runs killed (the rest had ended), %d killed after sources were deleted, "
                "%d incomplete leftovers seen, all told apart\n",
                killed, plan.count, inDeletePhase, leftovers);
}
