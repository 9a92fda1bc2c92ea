// Replacing a destination file that exists: the old file stays exactly as it was until its
// replacement is complete, whatever stops the copy on the way; hidden and system files are
// replaced like any other; and a file this job wrote itself is never replaced.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

namespace {

// The attribute bits that stand in the way of replacing a file on Windows.
DWORD Marks(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
}

}  // namespace

TEST_CASE("a replacement that fails or is cancelled leaves the old destination file as it was") {
    struct Row {
        const char* what;
        bool cancel;  // else the second write fails and the question is answered with skip
        bool move;
    } rows[] = {
        {"a write error answered skip, copy", false, false},
        {"a write error answered skip, move", false, true},
        {"a cancel, copy", true, false},
        {"a cancel, move", true, true},
    };
    // Large enough that the writer still has many requests to make after the second one,
    // so the cancel normally reaches it mid-file.
    constexpr uint64_t newSize = 16 * MiB;
    for (const Row& row : rows) {
        CONTEXT(row.what);
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source.path(), {{L"a.bin", static_cast<int64_t>(newSize)}}, 5);
        Build(target.path(), {{L"a.bin", 5000}}, 50);
        const TreeFacts sources = Snapshot(source.path());
        const TreeFacts old = Snapshot(target.path());

        JobObserver observer;
        std::atomic<int> writes{0};
        std::atomic<bool> lastWriteAsked{false};
        CallbackTransfer writer(CallbackTransfer::Callback(), [&](HANDLE, uint64_t offset, DWORD size) -> DWORD {
            if (offset + size >= newSize) lastWriteAsked = true;
            if (++writes != 2) return 0;
            if (!row.cancel) return ERROR_WRITE_FAULT;
            SetEvent(observer.CancelEvent());
            return 0;
        });
        AlgorithmHooks hooks;
        hooks.writerTransfer = &writer;
        observer.Answer({{SluiceCoreEvent::Overwrite, 0}, {SluiceCoreEvent::Skip, 0}});
        RunJob(JobOption({source / L"a.bin"}, target.path(), row.move), observer, &hooks);

        CheckFrame(observer, true);
        // The cancel reaches the writer through the engine thread, which a loaded machine may
        // run only after the writer has asked for its last write; a replacement completed by
        // then is a finished file, which a cancel keeps.
        if (row.cancel && lastWriteAsked && quaytest::Exists(target / L"a.bin") &&
            Facts(target / L"a.bin").hash == sources.at(L"a.bin").hash)
            SKIP("the cancel took effect only after the replacement had been written whole");
        // The whole folder: the replacement's temporary file must not stay either.
        CheckTree(old, target.path());
        CheckTree(sources, source.path());
    }
}

TEST_CASE("a replacement that completes takes the old file's place and leaves nothing else") {
    for (DWORD attributes : {DWORD{0}, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
                             DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY}}) {
        CONTEXT("old file's attributes " + std::to_string(attributes));
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source.path(), {{L"a.bin", static_cast<int64_t>(300 * KiB)}}, 5);
        Build(target.path(), {{L"a.bin", 5000}}, 50);
        const std::wstring old = target / L"a.bin";
        if (attributes) REQUIRE(SetFileAttributesW(old.c_str(), attributes));
        const TreeFacts sources = Snapshot(source.path());

        JobObserver observer;
        observer.Answer({{SluiceCoreEvent::Overwrite, 0}});
        RunJob(JobOption({source / L"a.bin"}, target.path(), false), observer);

        RequireNoComplaints(observer);
        CheckFrame(observer);
        CHECK_EQ(observer.Count(SluiceCoreEvent::Question), size_t{1});
        CheckTree(sources, target.path());
        CHECK_EQ(Marks(old), Marks(source / L"a.bin"));
    }
}

TEST_CASE("a replacement that cannot take the old file's place keeps the old file, attributes and all") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source.path(), {{L"a.bin", static_cast<int64_t>(300 * KiB)}}, 5);
    Build(target.path(), {{L"a.bin", 5000}}, 50);
    const std::wstring old = target / L"a.bin";
    REQUIRE(SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const TreeFacts sources = Snapshot(source.path());
    const TreeFacts olds = Snapshot(target.path());

    // Held open without delete sharing: nothing may take its name while it is open.
    Marlin::FileHandle holder(
        CreateFileW(old.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(holder.valid());
    JobObserver observer;
    observer.Answer({{SluiceCoreEvent::Overwrite, 0}, {SluiceCoreEvent::Skip, 0}});
    RunJob(JobOption({source / L"a.bin"}, target.path(), true), observer);
    holder.reset();

    CheckFrame(observer, true);
    const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
    REQUIRE_EQ(questions.size(), size_t{2});
    CHECK_EQ(questions[1].type, SluiceException::RetryQuestion);
    CheckTree(olds, target.path());
    CHECK_EQ(Marks(old), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
    CheckTree(sources, source.path());
}

TEST_CASE("two sources of one name: the second never replaces the first's copy, whatever answer is remembered") {
    for (bool move : {true, false}) {
        CONTEXT(move ? "move" : "copy");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"x", {{L"e.txt", 100}, {L"f.txt", 200}}, 1);
        Build(source / L"y", {{L"f.txt", 300}}, 2);
        Build(target.path(), {{L"e.txt", 10}}, 3);
        const TreeFacts x = Snapshot(source / L"x");
        const TreeFacts y = Snapshot(source / L"y");

        // "Overwrite all" for the file that was there before; one question only.
        JobObserver observer;
        observer.Answer({{SluiceCoreEvent::Overwrite, 1}});
        RunJob(JobOption({source / L"x\\e.txt", source / L"x\\f.txt", source / L"y\\f.txt"}, target.path(), move),
               observer);

        RequireNoComplaints(observer);
        CheckFrame(observer, true);
        const std::vector<Seen> errors = observer.With(SluiceCoreEvent::Error);
        REQUIRE_EQ(errors.size(), size_t{1});
        CHECK_EQ(errors[0].error, uint32_t{ERROR_FILE_EXISTS});
        CHECK_EQ(errors[0].path, target / L"f.txt");
        CheckFile(x.at(L"e.txt"), target / L"e.txt");
        CheckFile(x.at(L"f.txt"), target / L"f.txt");
        CheckTree(y, source / L"y");  // kept, in a move too
        CHECK_EQ(quaytest::Exists(source / L"x\\f.txt"), !move);
    }
}
