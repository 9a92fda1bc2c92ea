// A whole run of the core with a scripted algorithm, on real folders: the order of the
// notifications, the job checks before the algorithm, what escapes the algorithm, and the
// engine thread with its reference and its wait handle.
#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeAlgorithm.h"
#include "UniqueHandle.h"
#include "PipeCommandClient.h"
#include "RecordingObserver.h"
#include "SluiceCore.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::Sluice::SluiceCore;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;
using Marlin::Sluice::SluiceOption;
using namespace coretest;
using quaytest::MakeDir;
using quaytest::TempDir;
using quaytest::Utf8;
using quaytest::WriteBytes;

namespace {

constexpr DWORD kGenerousWaitMs = 30000;

// src holding f.txt and sub\, and an empty dst, side by side.
struct JobFolders {
    JobFolders() {
        MakeDir(dir / L"src\\sub");
        MakeDir(dir / L"dst");
        WriteBytes(dir / L"src\\f.txt", "x");
    }
    std::wstring src() const { return dir / L"src"; }
    std::wstring dst() const { return dir / L"dst"; }
    TempDir dir;
};

SluiceOption Job(std::vector<std::wstring> sources, std::wstring destination, int32_t move = 0) {
    SluiceOption option;
    option.algorithmKind = SluiceOption::MultiThreadAlgorithm;
    option.sources = std::move(sources);
    option.destination = std::move(destination);
    option.move = move;
    return option;
}

// Observer whose deliveries also go into the step log, so that the algorithm's life and
// the notifications can be checked in one sequence.
RecordingObserver::Action LogEvents(StepLog& log) {
    return [&log](SluiceCoreEvent&, const Delivery& seen) { log.Add(std::to_string(seen.code)); };
}

Marlin::KernelHandle ManualEvent() { return Marlin::KernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

std::string Joined(const std::vector<std::wstring>& paths) {
    std::string text;
    for (const auto& p : paths) text += (text.empty() ? "" : " | ") + Utf8(p);
    return text;
}

}  // namespace

TEST_CASE("a run delivers 1000 first and 1001 last, the algorithm's own notifications between") {
    JobFolders folders;
    StepLog log;
    SluiceCore core(Job({folders.src()}, folders.dst()), FakeAlgorithm::Factory(log, [](SluiceCoreEvent& event) {
                        event.NotifyCopyStarted();
                        event.NotifyFinished(70, 30);
                    }));
    RecordingObserver observer(LogEvents(log));
    core.SetObserver(&observer);
    Marlin::PipeCommandClient pipe(L"\\\\.\\pipe\\quaytest-core-never-opened");
    core.SetPipe(&pipe);

    core.Run();

    // The algorithm is made after the checks, gets the pipe before it runs, and is gone
    // before the run ends.
    CHECK_EQ(log.Text(), std::string("1000, made, client, run, 2000, 2001, destroyed, 1001"));
    CHECK(log.clientSeen == &pipe);
    const std::vector<Delivery> seen = observer.Deliveries();
    REQUIRE_EQ(seen.size(), size_t(4));
    CHECK_EQ(seen[2].status.totalElapsedMs, uint64_t(70));
    CHECK_EQ(seen[2].status.copyElapsedMs, uint64_t(30));
    CHECK(!core.HasThread());
}

TEST_CASE("the algorithm gets the checked job, which is also stored back into the core") {
    JobFolders folders;
    MakeDir(folders.dst() + L"\\already");
    TempDir otherDrive(L'D');
    struct Row {
        const char* name;
        SluiceOption job;
        std::vector<std::wstring> sources;
        std::wstring destination;
    } rows[] = {
        {"trailing backslashes go",
         Job({folders.src() + L"\\", folders.dir / L"src\\f.txt\\"}, folders.dst() + L"\\"),
         {folders.src(), folders.dir / L"src\\f.txt"},
         folders.dst()},
        {"a move drops the sources already in the destination",
         Job({folders.dst() + L"\\already", folders.src()}, folders.dst(), 1),
         {folders.src()},
         folders.dst()},
        {"a copy keeps a source that is already in the destination",
         Job({folders.dst() + L"\\already"}, folders.dst()),
         {folders.dst() + L"\\already"},
         folders.dst()},
        {"a drive root keeps its backslash", Job({L"C:\\"}, otherDrive.path() + L"\\"), {L"C:\\"}, otherDrive.path()},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        StepLog log;
        SluiceCore core(row.job, FakeAlgorithm::Factory(log));
        core.Run();
        REQUIRE_EQ(log.made, 1);
        CHECK_EQ(Joined(log.optionSeen.sources), Joined(row.sources));
        CHECK_EQ(log.optionSeen.destination, row.destination);
        CHECK_EQ(Joined(core.Option().sources), Joined(row.sources));
        CHECK_EQ(core.Option().destination, row.destination);
        CHECK(log.clientSeen == nullptr);
    }
}

TEST_CASE("a job the checks refuse ends with 2002 of its type and 1001, without an algorithm") {
    JobFolders folders;
    struct Row {
        const char* name;
        SluiceOption job;
        int32_t type;
    } rows[] = {
        {"move whose every source lies in the destination",
         Job({folders.dst() + L"\\a", folders.dst() + L"\\b\\"}, folders.dst(), 1), SluiceException::InconsistentJob},
        {"destination inside a source folder", Job({folders.src()}, folders.dir / L"src\\sub\\new"),
         SluiceException::DestinationInsideSource},
        {"destination is the source folder, told with other letter case and a backslash",
         Job({folders.src()}, folders.dir / L"SRC\\"), SluiceException::DestinationInsideSource},
        {"move with a surviving source, destination inside it", Job({folders.src()}, folders.dir / L"src\\sub", 1),
         SluiceException::DestinationInsideSource},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        StepLog log;
        SluiceCore core(row.job, FakeAlgorithm::Factory(log));
        RecordingObserver observer;
        core.SetObserver(&observer);
        core.Run();
        CHECK_EQ(observer.CodeText(), std::string("1000 2002 1001"));
        CHECK_EQ(log.made, 0);
        const std::vector<Delivery> seen = observer.Deliveries();
        if (seen.size() != 3) continue;
        CHECK_EQ(seen[1].exceptionType, row.type);
        CHECK_EQ(seen[1].ownsException, 0);
        // Lent for the one delivery only.
        CHECK(seen[2].exception == nullptr);
        // A refused job leaves the core's option as it was.
        CHECK_EQ(Joined(core.Option().sources), Joined(row.job.sources));
    }
}

TEST_CASE("only algorithm kind 2 makes an algorithm; any other kind ends the run quietly") {
    JobFolders folders;
    for (int32_t kind : {0, 1, 3, -1}) {
        CONTEXT("kind " + std::to_string(kind));
        SluiceOption job = Job({folders.src()}, folders.dst());
        job.algorithmKind = kind;
        StepLog log;
        SluiceCore core(job, FakeAlgorithm::Factory(log));
        RecordingObserver observer;
        core.SetObserver(&observer);
        core.Run();
        CHECK_EQ(observer.CodeText(), std::string("1000 1001"));
        CHECK_EQ(log.made, 0);
    }
}

TEST_CASE("what the algorithm lets escape, or an algorithm that cannot be made, is reported before 1001") {
    JobFolders folders;
    const SluiceOption job = Job({folders.src()}, folders.dst());

    {
        CONTEXT("factory gives nothing");
        SluiceCore core(job, [](const SluiceOption&, SluiceCoreEvent&) { return nullptr; });
        RecordingObserver observer;
        core.SetObserver(&observer);
        core.Run();
        CHECK_EQ(observer.CodeText(), std::string("1000 2002 1001"));
        if (observer.Count() == 3) CHECK_EQ(observer.Deliveries()[1].exceptionType, int32_t(SluiceException::SetupFailed));
    }
    struct Row {
        const char* name;
        FakeAlgorithm::Script script;
        int32_t type;
    } rows[] = {
        {"an engine exception", [](SluiceCoreEvent& e) { e.NotifyCopyStarted(); throw SluiceException(4); }, 4},
        {"a foreign exception", [](SluiceCoreEvent& e) { e.NotifyCopyStarted(); throw std::runtime_error("x"); }, 0},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        StepLog log;
        SluiceCore core(job, FakeAlgorithm::Factory(log, row.script));
        RecordingObserver observer(LogEvents(log));
        core.SetObserver(&observer);
        core.Run();
        CHECK_EQ(log.Text(), std::string("1000, made, client, run, 2000, destroyed, 2002, 1001"));
        if (observer.Count() == 4) CHECK_EQ(observer.Deliveries()[2].exceptionType, row.type);
    }
}

TEST_CASE("a run without an observer still runs the algorithm") {
    JobFolders folders;
    StepLog log;
    SluiceCore core(Job({folders.src()}, folders.dst()), FakeAlgorithm::Factory(log, [](SluiceCoreEvent& e) {
                        e.NotifyCopyStarted();
                        e.NotifyFinished(1, 1);
                    }));
    core.Run();
    CHECK_EQ(log.Text(), std::string("made, client, run, destroyed"));
}

TEST_CASE("Start runs the job on an engine thread and refuses a second run and a new option meanwhile") {
    JobFolders folders;
    Marlin::KernelHandle entered = ManualEvent();
    Marlin::KernelHandle release = ManualEvent();
    REQUIRE(entered && release);
    StepLog log;
    SluiceCore core(Job({folders.src()}, folders.dst()), FakeAlgorithm::Factory(log, [&](SluiceCoreEvent& e) {
                        e.NotifyCopyStarted();
                        SetEvent(entered.get());
                        WaitForSingleObject(release.get(), kGenerousWaitMs);
                    }));
    DWORD engineThread = 0;
    bool busyAtEnd = true;
    RecordingObserver observer([&](SluiceCoreEvent&, const Delivery& seen) {
        if (seen.code == SluiceCoreEvent::Started) engineThread = GetCurrentThreadId();
        if (seen.code == SluiceCoreEvent::Ended) busyAtEnd = core.HasThread();
    });
    core.SetObserver(&observer);

    CHECK(!core.ThreadWaitHandle());
    REQUIRE_EQ(core.Start(), 1);
    REQUIRE_EQ(WaitForSingleObject(entered.get(), kGenerousWaitMs), DWORD(WAIT_OBJECT_0));

    CHECK(core.HasThread());
    CHECK_EQ(core.Start(), 0);
    CHECK(!core.SetOption(Job({folders.dst()}, folders.src())));
    CHECK_EQ(core.Option().destination, folders.dst());

    Marlin::KernelHandle waitable = core.ThreadWaitHandle();
    REQUIRE(waitable);
    SetEvent(release.get());
    REQUIRE_EQ(WaitForSingleObject(waitable.get(), kGenerousWaitMs), DWORD(WAIT_OBJECT_0));

    CHECK_EQ(observer.CodeText(), std::string("1000 2000 1001"));
    CHECK(engineThread != 0 && engineThread != GetCurrentThreadId());
    // The reference is cleared before 1001, so the dialog handling 1001 sees an idle core.
    CHECK(!busyAtEnd);
    CHECK(!core.HasThread());
    CHECK(core.SetOption(Job({folders.src()}, folders.dir.path())));
}

TEST_CASE("a wait handle stays valid after its run ended and after the next run replaced it") {
    JobFolders folders;
    StepLog log;
    SluiceCore core(Job({folders.src()}, folders.dst()), FakeAlgorithm::Factory(log));
    RecordingObserver observer;
    core.SetObserver(&observer);

    REQUIRE_EQ(core.Start(), 1);
    Marlin::KernelHandle first = core.ThreadWaitHandle();
    REQUIRE(first);
    REQUIRE_EQ(WaitForSingleObject(first.get(), kGenerousWaitMs), DWORD(WAIT_OBJECT_0));
    // The thread has ended, so its reference is clear and a new run may start.
    REQUIRE(!core.HasThread());
    REQUIRE_EQ(core.Start(), 1);
    Marlin::KernelHandle second = core.ThreadWaitHandle();
    REQUIRE(second);
    CHECK(second.get() != first.get());
    REQUIRE_EQ(WaitForSingleObject(second.get(), kGenerousWaitMs), DWORD(WAIT_OBJECT_0));
    // The core no longer holds the first thread's handle; the caller's copy still works.
    CHECK_EQ(WaitForSingleObject(first.get(), 0), DWORD(WAIT_OBJECT_0));
    CHECK_EQ(log.made, 2);
    CHECK_EQ(observer.CodeText(), std::string("1000 1001 1000 1001"));
}

TEST_CASE("destroying the core waits for its engine thread to finish the run") {
    JobFolders folders;
    Marlin::KernelHandle entered = ManualEvent();
    Marlin::KernelHandle release = ManualEvent();
    StepLog log;
    RecordingObserver observer;
    auto core = std::make_unique<SluiceCore>(Job({folders.src()}, folders.dst()),
                                             FakeAlgorithm::Factory(log, [&](SluiceCoreEvent&) {
                                                 SetEvent(entered.get());
                                                 WaitForSingleObject(release.get(), kGenerousWaitMs);
                                                 Sleep(100);  // still working when the owner lets go
                                             }));
    core->SetObserver(&observer);
    REQUIRE_EQ(core->Start(), 1);
    REQUIRE_EQ(WaitForSingleObject(entered.get(), kGenerousWaitMs), DWORD(WAIT_OBJECT_0));
    SetEvent(release.get());
    core.reset();
    CHECK_EQ(observer.CodeText(), std::string("1000 1001"));
    CHECK_EQ(log.Text(), std::string("made, client, run, destroyed"));
}

TEST_CASE("a run that ends at once still leaves the core idle, every time") {
    JobFolders folders;
    SluiceOption job = Job({folders.src()}, folders.dst());
    job.algorithmKind = 0;  // 1000 and 1001 only: as short as a run gets
    StepLog log;
    SluiceCore core(job, FakeAlgorithm::Factory(log));
    for (int run = 0; run < 25; ++run) {
        CONTEXT("run " + std::to_string(run));
        REQUIRE_EQ(core.Start(), 1);
        Marlin::KernelHandle waitable = core.ThreadWaitHandle();
        REQUIRE(waitable);
        REQUIRE_EQ(WaitForSingleObject(waitable.get(), kGenerousWaitMs), DWORD(WAIT_OBJECT_0));
        REQUIRE(!core.HasThread());
    }
}
