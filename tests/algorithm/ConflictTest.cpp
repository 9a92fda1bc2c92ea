// Destinations that exist already: the questions they raise, and what each answer does to
// the files on both sides.
#include <windows.h>

#include <string>
#include <vector>

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
using Marlin::PathEquals;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

TEST_CASE("existing files: overwrite one, skip one for all, the next is skipped unasked, a new one is copied") {
    for (bool move : {false, true}) {
        CONTEXT(move ? "move" : "copy");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source.path(), {{L"a.txt", 1000}, {L"b.txt", 2000}, {L"c.txt", 3000}, {L"d.txt", 4000}}, 1);
        Build(target.path(), {{L"a.txt", 11}, {L"b.txt", 22}, {L"c.txt", 33}}, 100);
        const TreeFacts sources = Snapshot(source.path());
        const TreeFacts existing = Snapshot(target.path());

        JobObserver observer;
        MoveWatch watch;
        for (const wchar_t* name : {L"a.txt", L"d.txt"})
            watch.WatchFile(source / name, sources.at(name), target / name);
        observer.SetCheck([&](const Seen&) { watch.Check(); });
        observer.Answer({{SluiceCoreEvent::Overwrite, 0}, {SluiceCoreEvent::Skip, 1}});
        // One source per file, so the questions come in a known order.
        RunJob(JobOption({source / L"a.txt", source / L"b.txt", source / L"c.txt", source / L"d.txt"}, target.path(),
                         move),
               observer);

        RequireNoComplaints(observer);
        CHECK(watch.Problems().empty());
        CheckFrame(observer);
        const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
        REQUIRE_EQ(questions.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            CHECK_EQ(questions[i].type, SluiceException::OverwriteQuestion);
            CHECK(!questions[i].sourceIsFolder && !questions[i].destinationIsFolder);
        }
        CHECK(PathEquals(questions[0].destinationPath, target / L"a.txt"));
        CHECK(PathEquals(questions[1].destinationPath, target / L"b.txt"));

        CheckFile(sources.at(L"a.txt"), target / L"a.txt");
        CheckFile(existing.at(L"b.txt"), target / L"b.txt");
        CheckFile(existing.at(L"c.txt"), target / L"c.txt");
        CheckFile(sources.at(L"d.txt"), target / L"d.txt");
        // A skipped source is never deleted; the others are, in a move.
        TreeFacts left = sources;
        if (move) {
            left.erase(L"a.txt");
            left.erase(L"d.txt");
        }
        CheckTree(left, source.path());
    }
}

TEST_CASE("an existing folder is merged into: its own files stay, each conflicting file is asked about") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source / L"s", {{L"x.txt", 100}, {L"y.txt", 200}, {L"sub", -1}, {L"sub\\z.txt", 300}}, 1);
    Build(target / L"s", {{L"x.txt", 7}, {L"keep.txt", 8}}, 50);
    const TreeFacts incoming = Snapshot(source / L"s");
    const TreeFacts existing = Snapshot(target / L"s");

    JobObserver observer;
    observer.Answer({{SluiceCoreEvent::Overwrite, 0}, {SluiceCoreEvent::Overwrite, 0}});
    RunJob(JobOption({source / L"s"}, target.path(), false), observer);

    RequireNoComplaints(observer);
    CheckFrame(observer);
    const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
    REQUIRE_EQ(questions.size(), 2u);
    CHECK(questions[0].sourceIsFolder && questions[0].destinationIsFolder);
    CHECK(PathEquals(questions[0].destinationPath, target / L"s"));
    CHECK(!questions[1].sourceIsFolder && !questions[1].destinationIsFolder);
    CHECK(PathEquals(questions[1].destinationPath, target / L"s\\x.txt"));

    TreeFacts merged = incoming;
    merged[L"keep.txt"] = existing.at(L"keep.txt");
    CheckTree(merged, target / L"s");
}

TEST_CASE("a folder over a file and a file over a folder are asked about; skip leaves the existing item alone") {
    struct Row {
        const char* name;
        bool sourceIsFolder;
    };
    for (const Row& row : {Row{"folder over file", true}, Row{"file over folder", false}}) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(L'D');
        if (row.sourceIsFolder) {
            Build(source.path(), {{L"x", -1}, {L"x\\inside.txt", 10}}, 1);
            Build(target.path(), {{L"x", 5}}, 9);
        } else {
            Build(source.path(), {{L"x", 10}}, 1);
            Build(target.path(), {{L"x", -1}, {L"x\\there.txt", 5}}, 9);
        }
        Build(source.path(), {{L"after.txt", 64}}, 20);
        const TreeFacts existing = Snapshot(target.path());
        const TreeFacts sources = Snapshot(source.path());

        JobObserver observer;
        observer.Answer({{SluiceCoreEvent::Skip, 0}});
        RunJob(JobOption({source / L"x", source / L"after.txt"}, target.path(), true), observer);

        RequireNoComplaints(observer);
        CheckFrame(observer);
        const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
        REQUIRE_EQ(questions.size(), 1u);
        CHECK_EQ(questions[0].type, SluiceException::OverwriteQuestion);
        CHECK_EQ(questions[0].sourceIsFolder, row.sourceIsFolder);
        CHECK_EQ(questions[0].destinationIsFolder, !row.sourceIsFolder);

        TreeFacts expected = existing;
        expected[L"after.txt"] = sources.at(L"after.txt");
        CheckTree(expected, target.path());
        // The skipped source of the move stays whole; the other one went.
        TreeFacts left = sources;
        left.erase(L"after.txt");
        CheckTree(left, source.path());
    }
}

TEST_CASE("a conflict that the user clears away before answering retry is copied after all") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source.path(), {{L"x", -1}, {L"x\\inside.txt", 10}, {L"x\\more", -1}, {L"x\\more\\deep.bin", 5000}}, 1);
    Build(target.path(), {{L"x", 5}}, 9);
    const TreeFacts sources = Snapshot(source.path());

    JobObserver observer;
    int asked = 0;
    observer.SetScript([&](const Seen& question) {
        ++asked;
        if (question.type != SluiceException::OverwriteQuestion || asked > 1) return Reply{SluiceCoreEvent::Cancel};
        // The user renames the file that stands in the way, then retries.
        MoveFileW((target / L"x").c_str(), (target / L"x.old").c_str());
        return Reply{SluiceCoreEvent::Retry};
    });
    RunJob(JobOption({source / L"x"}, target.path(), false), observer);

    CheckFrame(observer);
    CHECK_EQ(asked, 1);
    CheckTree(Subtree(sources, L"x"), target / L"x");
}

TEST_CASE("cancel answered to a question stops both threads; nothing half-copied or half-moved stays behind") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source.path(), {{L"first.bin", 300000}, {L"second.txt", 100}, {L"third.txt", 100}}, 1);
    Build(target.path(), {{L"second.txt", 1}}, 9);
    const TreeFacts sources = Snapshot(source.path());
    const TreeFacts existing = Snapshot(target.path());

    JobObserver observer;
    observer.Answer({{SluiceCoreEvent::Cancel, 0}});
    RunJob(JobOption({source / L"first.bin", source / L"second.txt", source / L"third.txt"}, target.path(), true),
           observer);

    RequireNoComplaints(observer);
    CheckFrame(observer, true);
    // The reader stops on the answer; the writer, which cannot pass the reader, sees the cancel.
    CheckBothThreadsCancelled(observer);
    // The writer may or may not have finished the first file when the cancel came: either
    // its copy is complete and its source went, or there is no copy and the source stays.
    if (quaytest::Exists(target / L"first.bin")) {
        CheckFile(sources.at(L"first.bin"), target / L"first.bin");
    } else {
        CheckFile(sources.at(L"first.bin"), source / L"first.bin");
    }
    CheckFile(existing.at(L"second.txt"), target / L"second.txt");
    CHECK(!quaytest::Exists(target / L"third.txt"));
    CHECK(quaytest::Exists(source / L"second.txt"));
    CHECK(quaytest::Exists(source / L"third.txt"));
}

TEST_CASE("a folder whose answer was overwrite is not merged into a file of its name") {
    // The conflict dialog offers no overwrite for a folder over a file, but a remembered or
    // relayed answer can still say so: the existing file then stands in the way of the
    // whole folder (one question), instead of failing every item below it.
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source.path(), {{L"x", -1}, {L"x\\one.txt", 10}, {L"x\\two.txt", 20}}, 1);
    Build(target.path(), {{L"x", 5}}, 9);
    const TreeFacts existing = Snapshot(target.path());

    JobObserver observer;
    observer.Answer({{SluiceCoreEvent::Overwrite, 0}, {SluiceCoreEvent::Skip, 0}});
    RunJob(JobOption({source / L"x"}, target.path(), false), observer);

    RequireNoComplaints(observer);
    CheckFrame(observer);
    const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
    REQUIRE_EQ(questions.size(), 2u);
    CHECK(questions[0].sourceIsFolder && !questions[0].destinationIsFolder);
    CHECK_EQ(questions[1].type, SluiceException::RetryQuestion);
    CHECK(PathEquals(questions[1].path, target / L"x"));
    CheckTree(existing, target.path());
}
