// A source that another process holds open without sharing: the reader cannot open it and
// asks; retry tries again, skip passes over it (and a move keeps it), administrator stops.
#include <windows.h>

#include <string>
#include <vector>

#include "UniqueHandle.h"
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

// Opens args[0] without sharing, signals the event named args[1], and holds the file until
// the event named args[2] is signalled.
TEST_CHILD("hold") {
    if (args.size() < 3) return 2;
    Marlin::FileHandle file(CreateFileW(quaytest::Widen(args[0]).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    if (!file) return 3;
    Marlin::KernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, quaytest::Widen(args[1]).c_str()));
    Marlin::KernelHandle release(OpenEventW(SYNCHRONIZE, FALSE, quaytest::Widen(args[2]).c_str()));
    if (!ready || !release) return 4;
    SetEvent(ready.get());
    return WaitForSingleObject(release.get(), 120000) == WAIT_OBJECT_0 ? 0 : 5;
}

namespace {

// The other process and its file, held from construction until Release.
class Holder {
public:
    explicit Holder(const std::wstring& path) {
        const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count_);
        const std::wstring readyName = L"quay-algo-ready-" + tag, releaseName = L"quay-algo-release-" + tag;
        ready_.reset(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        release_.reset(CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
        REQUIRE(ready_ && release_);
        child_ = quaytest::StartChild("hold", {quaytest::Utf8(path), quaytest::Utf8(readyName), quaytest::Utf8(releaseName)});
        REQUIRE_EQ(WaitForSingleObject(ready_.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    ~Holder() { Release(); }
    void Release() {
        if (!child_) return;
        SetEvent(release_.get());
        exit_ = quaytest::WaitExit(child_);
        child_.reset();
    }
    long ExitCode() const { return exit_; }

private:
    static inline int count_ = 0;
    Marlin::KernelHandle ready_, release_, child_;
    long exit_ = -1;
};

const std::vector<Entry> kTree = {{L"before.txt", 1000}, {L"held.bin", 50000}, {L"after", -1},
                                  {L"after\\later.txt", 2000}};

}  // namespace

TEST_CASE("a held source: retry asks again while it is held, skip passes over it, a move keeps it") {
    for (bool move : {false, true}) {
        CONTEXT(move ? "move" : "copy");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"s", kTree, 3);
        const TreeFacts sources = Snapshot(source / L"s");
        Holder holder(source / L"s\\held.bin");

        JobObserver observer;
        MoveWatch watch;
        watch.Watch(source / L"s", sources, target / L"s");
        observer.SetCheck([&](const Seen&) { watch.Check(); });
        // Retry, still held; skip. A move then cannot remove the folder that keeps the file.
        std::vector<Reply> replies = {{SluiceCoreEvent::Retry, 0}, {SluiceCoreEvent::Skip, 0}};
        if (move) replies.push_back({SluiceCoreEvent::Skip, 0});
        observer.Answer(replies);
        RunJob(JobOption({source / L"s"}, target.path(), move), observer);
        holder.Release();

        RequireNoComplaints(observer);
        CHECK(watch.Problems().empty());
        CHECK_EQ(holder.ExitCode(), 0);
        CheckFrame(observer);
        const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
        REQUIRE_EQ(questions.size(), replies.size());
        for (size_t i = 0; i < 2; ++i) {
            CHECK_EQ(questions[i].type, SluiceException::RetryQuestion);
            CHECK_EQ(questions[i].error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
            CHECK(PathEquals(questions[i].path, source / L"s\\held.bin"));
        }
        if (move) {
            CHECK_EQ(questions[2].type, SluiceException::RetryQuestion);
            CHECK_EQ(questions[2].error, static_cast<uint32_t>(ERROR_DIR_NOT_EMPTY));
            CHECK(PathEquals(questions[2].path, source / L"s"));
        }

        TreeFacts copied = sources;
        copied.erase(L"held.bin");
        CheckTree(copied, target / L"s");
        CheckTree(move ? TreeFacts{{L"held.bin", sources.at(L"held.bin")}} : sources, source / L"s");
    }
}

TEST_CASE("a held source that is let go before retry is copied") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source / L"s", kTree, 3);
    const TreeFacts sources = Snapshot(source / L"s");
    Holder holder(source / L"s\\held.bin");

    JobObserver observer;
    int asked = 0;
    observer.SetScript([&](const Seen& question) {
        if (++asked > 1 || question.error != ERROR_SHARING_VIOLATION) return Reply{SluiceCoreEvent::Cancel};
        holder.Release();  // the user closes the other program
        return Reply{SluiceCoreEvent::Retry};
    });
    RunJob(JobOption({source / L"s"}, target.path(), true), observer);

    CheckFrame(observer);
    CHECK_EQ(asked, 1);
    CheckTree(sources, target / L"s");
    CHECK(!quaytest::Exists(source / L"s"));
}

TEST_CASE("continuing with administrator rights stops both threads; a refused prompt then ends the job, nothing lost") {
    quaytest::TempDir source(L'C'), target(L'D');
    Build(source / L"s", kTree, 3);
    const TreeFacts sources = Snapshot(source / L"s");
    Holder holder(source / L"s\\held.bin");

    JobObserver observer;
    observer.Answer({{SluiceCoreEvent::Elevate, 0}});
    AlgorithmHooks hooks;
    RunJob(JobOption({source / L"s"}, target.path(), true), observer, &hooks);
    holder.Release();

    RequireNoComplaints(observer);
    CheckFrame(observer, true);
    CHECK_EQ(hooks.elevationNeeded.load(), 1);
    std::vector<int32_t> types;
    for (const Seen& e : observer.With(SluiceCoreEvent::Error)) types.push_back(e.type);
    // The asking reader stops for the hand-over; the writer sees the cancel that goes with it.
    REQUIRE_EQ(types.size(), 2u);
    CHECK((types[0] == SluiceException::ElevationRequested) != (types[1] == SluiceException::ElevationRequested));
    CHECK(types[0] == SluiceException::Cancelled || types[1] == SluiceException::Cancelled);
    // Nothing of the move is lost: every source is still there or completely copied.
    for (const auto& [name, facts] : sources) {
        if (facts.folder || quaytest::Exists(source / L"s\\" + name)) continue;
        CheckFile(facts, target / L"s\\" + name);
    }
    CHECK(quaytest::Exists(source / L"s\\held.bin"));
}
