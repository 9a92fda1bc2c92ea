// Moves: renamed where one drive allows it, otherwise copied and deleted source by source,
// never deleting a source before its copy is complete.
#include <windows.h>

#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "MoveWatch.h"
#include "Paths.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

namespace {

const std::vector<Entry> kTree = {
    {L"a.txt", 100},
    {L"empty.txt", 0},
    {L"sub", -1},
    {L"sub\\b.bin", static_cast<int64_t>(2 * MiB + 5)},
    {L"sub\\deeper", -1},
    {L"sub\\deeper\\c.bin", 777},
    {L"sub\\deeper\\nothing", -1},
    {L"音楽", -1},
    {L"音楽\\曲.bin", 40000},
};

// Checks the sources against their copies at every delivery and before every write.
struct WatchedMove {
    MoveWatch watch;
    CallbackTransfer transfer{CallbackTransfer::Callback(), [this](HANDLE, uint64_t, DWORD) -> DWORD {
        watch.Check();
        return 0;
    }};
    AlgorithmHooks hooks;
    JobObserver observer;

    WatchedMove() {
        hooks.writerTransfer = &transfer;
        observer.SetCheck([this](const Seen&) { watch.Check(); });
    }
    void RequireSound() {
        watch.Check();
        for (const std::string& p : watch.Problems()) quaytest::ReportFailure(__FILE__, __LINE__, p);
        REQUIRE(watch.Problems().empty());
        RequireNoComplaints(observer);
    }
};

}  // namespace

TEST_CASE("a move to another drive copies everything and deletes each source only once its copy is complete") {
    for (int32_t foldersFirst : {1, 0}) {
        CONTEXT("foldersFirst " + std::to_string(foldersFirst));
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"tree", kTree, 5);
        Build(source.path(), {{L"loose.bin", 65537}}, 50);
        const TreeFacts tree = Snapshot(source / L"tree");
        const FileFacts loose = Facts(source / L"loose.bin");

        WatchedMove move;
        move.watch.Watch(source / L"tree", tree, target / L"tree");
        move.watch.WatchFile(source / L"loose.bin", loose, target / L"loose.bin");
        auto option = JobOption({source / L"tree", source / L"loose.bin"}, target.path(), true);
        option.foldersFirst = foldersFirst;
        RunJob(option, move.observer, &move.hooks);

        move.RequireSound();
        CheckFrame(move.observer);
        CHECK_EQ(move.observer.Outline(), std::string("1000 2000 2100 2001 1001"));
        CheckTree(tree, target / L"tree");
        CheckFile(loose, target / L"loose.bin");
        // Everything went, the emptied folders too, down to the moved folder itself.
        CHECK(quaytest::ListNames(source.path()).empty());
        CHECK(move.watch.Checks() > 3);
    }
}

TEST_CASE("a move on one drive renames its sources: nothing is listed and the copy time is 0") {
    quaytest::TempDir work(L'C');
    Build(work / L"from\\tree", kTree, 7);
    Build(work / L"from", {{L"x.txt", 321}}, 70);
    quaytest::MakeDir(work / L"to");
    const TreeFacts before = Snapshot(work / L"from");

    JobObserver observer;
    RunJob(JobOption({work / L"from\\tree", work / L"from\\x.txt"}, work / L"to", true), observer);

    RequireNoComplaints(observer);
    CheckFrame(observer);
    CHECK_EQ(observer.Outline(), std::string("1000 2000 2001 1001"));
    CHECK_EQ(observer.Count(SluiceCoreEvent::ReadProgress) + observer.Count(SluiceCoreEvent::WriteProgress), 0u);
    CHECK_EQ(observer.With(SluiceCoreEvent::Finished).at(0).copyMs, 0u);
    CheckTree(before, work / L"to");
    CHECK(quaytest::ListNames(work / L"from").empty());
}

TEST_CASE("a same-drive move whose rename meets an existing file copies that source after the question") {
    quaytest::TempDir work(L'C');
    Build(work / L"from", {{L"x.txt", 500}, {L"y.txt", 600}}, 3);
    Build(work / L"to", {{L"x.txt", 10}}, 99);
    const TreeFacts before = Snapshot(work / L"from");

    WatchedMove move;
    move.watch.Watch(work / L"from", before, work / L"to");
    move.observer.Answer({{SluiceCoreEvent::Overwrite, 0}});
    RunJob(JobOption({work / L"from\\x.txt", work / L"from\\y.txt"}, work / L"to", true), move.observer,
           &move.hooks);

    move.RequireSound();
    CheckFrame(move.observer);
    // y.txt was renamed; only x.txt was listed, asked about and copied.
    CHECK_EQ(move.observer.Outline(), std::string("1000 2000 2100 2003 2001 1001"));
    const std::vector<Seen> questions = move.observer.With(SluiceCoreEvent::Question);
    REQUIRE_EQ(questions.size(), 1u);
    CHECK_EQ(questions[0].type, SluiceException::OverwriteQuestion);
    CHECK(Marlin::PathEquals(questions[0].path, work / L"from\\x.txt"));
    CHECK(Marlin::PathEquals(questions[0].destinationPath, work / L"to\\x.txt"));
    CHECK_EQ(move.observer.With(SluiceCoreEvent::Enumerated).at(0).bytesTotal, 500u);
    CheckTree(before, work / L"to");
    CHECK(quaytest::ListNames(work / L"from").empty());
}

TEST_CASE("moving read-only files deletes their sources without asking") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source / L"s", {{L"locked-down.txt", 1000}, {L"inner", -1}, {L"inner\\also.txt", 2000}}, 4);
    Build(source.path(), {{L"alone.txt", 300}}, 40);
    for (const wchar_t* name : {L"s\\locked-down.txt", L"s\\inner\\also.txt", L"alone.txt"})
        REQUIRE(SetFileAttributesW((source / name).c_str(), FILE_ATTRIBUTE_READONLY));
    const TreeFacts tree = Snapshot(source / L"s");
    const FileFacts alone = Facts(source / L"alone.txt");

    WatchedMove move;
    move.watch.Watch(source / L"s", tree, target / L"s");
    RunJob(JobOption({source / L"s", source / L"alone.txt"}, target.path(), true), move.observer, &move.hooks);

    move.RequireSound();
    CheckFrame(move.observer);
    CHECK_EQ(move.observer.Count(SluiceCoreEvent::Question), 0u);
    CheckTree(tree, target / L"s");
    CheckFile(alone, target / L"alone.txt");
    CHECK(quaytest::ListNames(source.path()).empty());
}
