// The elevated copy end to end under Wine with two real processes: this test runs the
// normal instance's engine (the real core and algorithm, with a reader that meets "access
// denied" on the job's first file and a user who answers "continue with administrator
// rights"), and the hand-over starts the real Quaysail.exe through the real
// ShellExecuteExW with "runas" (Wine starts it without a prompt), which copies the rest
// for real. The elevated instance's progress and questions reach this instance's
// observer, the answers go back, a cancel given here stops it, a refused prompt ends the
// job with the rest uncopied, and a killed elevated process ends the job.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <cstdint>
#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "ElevateFixtures.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using namespace elevatetest;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

namespace {

constexpr size_t MiB = 1024 * 1024;

// Two sources, walked in order: a file that the normal instance cannot read, and a folder
// that only the elevated instance gets to, with two files that already exist at the
// destination (the overwrite question, answered for all) and a larger one.
struct Job {
    quaytest::TempDir source{L'C'};
    quaytest::TempDir target{L'C'};
    std::wstring first = source / L"first.bin";
    std::wstring rest = source / L"rest";
    std::vector<std::pair<std::wstring, std::string>> files;

    explicit Job(size_t largeSize = 3 * MiB) {
        quaytest::MakeDir(rest + L"\\sub");
        Add(first, quaytest::PatternBytes(70000, 1));
        Add(rest + L"\\a.txt", quaytest::PatternBytes(1000, 2));
        Add(rest + L"\\b.txt", quaytest::PatternBytes(2000, 3));
        Add(rest + L"\\sub\\large.bin", quaytest::PatternBytes(largeSize, 4));
        Add(rest + L"\\sub\\empty.txt", std::string());
        // What the destination already holds: older versions of a.txt and b.txt.
        quaytest::MakeDir(target / L"rest");
        quaytest::WriteBytes(target / L"rest\\a.txt", "old a");
        quaytest::WriteBytes(target / L"rest\\b.txt", "old b");
    }
    void Add(const std::wstring& path, const std::string& bytes) {
        quaytest::WriteBytes(path, bytes);
        files.emplace_back(path, bytes);
    }
    std::wstring Copy(const std::wstring& sourcePath) const {
        return target.path() + sourcePath.substr(source.path().size());
    }
    Marlin::Sluice::SluiceOption Option() const { return JobOption({first, rest}, target.path(), false); }
};

// The normal instance's reader: "access denied" on the first request for the first file.
struct DeniedFirstRead {
    std::atomic<bool> denied{false};
    CallbackTransfer transfer{[this](HANDLE, uint64_t, DWORD) -> DWORD {
        return denied.exchange(true) ? 0 : ERROR_ACCESS_DENIED;
    }};
};

// The user's answers: administrator rights for the denied file, overwrite for all to the
// elevated instance's question.
void AnswerAsUser(JobObserver& observer) {
    observer.SetScript([](const Seen& q) -> Reply {
        if (q.type == SluiceException::RetryQuestion && q.error == ERROR_ACCESS_DENIED)
            return Reply{SluiceCoreEvent::Elevate, 0};
        if (q.type == SluiceException::OverwriteQuestion) return Reply{SluiceCoreEvent::Overwrite, 1};
        return Reply{SluiceCoreEvent::Cancel, 0};
    });
}

// What arrives once the elevated instance has been launched: the hand-over starts only
// after both of this instance's copy threads have ended, so from then on every delivery
// but the job's own end (2001, 1001) is the elevated instance's, relayed. A hook sees each.
class Relayed {
public:
    Relayed(JobObserver& observer, const CountingLauncher& launcher,
            std::function<void(const Seen&)> hook = std::function<void(const Seen&)>()) {
        observer.SetCheck([this, &launcher, hook](const Seen& s) {
            if (launcher.launches.load() == 0 || s.code == SluiceCoreEvent::Finished || s.code == SluiceCoreEvent::Ended)
                return;
            {
                std::lock_guard<std::mutex> hold(lock_);
                seen_.push_back(s);
            }
            if (hook) hook(s);
        });
    }
    std::vector<Seen> All() const {
        std::lock_guard<std::mutex> hold(lock_);
        return seen_;
    }

private:
    mutable std::mutex lock_;
    std::vector<Seen> seen_;
};

bool IsProgress(const Seen& s) {
    return s.code == SluiceCoreEvent::ReadProgress || s.code == SluiceCoreEvent::WriteProgress ||
           s.code == SluiceCoreEvent::Progress;
}

}  // namespace

TEST_CASE("the rest of the job is copied by the real elevated instance; its progress and question show here, the answer goes back") {
    Job job;
    DeniedFirstRead reader;
    JobObserver observer;
    AnswerAsUser(observer);
    CountingLauncher launcher;  // the real Quaysail.exe
    Relayed relayed(observer, launcher);
    AlgorithmHooks hooks;
    hooks.readerTransfer = &reader.transfer;
    hooks.launcher = &launcher;
    RunJob(job.Option(), observer, &hooks);

    RequireNoComplaints(observer);
    CheckFrame(observer, true);
    CHECK_EQ(launcher.launches.load(), 1);
    CHECK_EQ(launcher.verbUsed, std::wstring(L"runas"));
    CHECK_EQ(quaytest::WaitExit(launcher.process), 0L);
    // Every file, the one denied here included, byte for byte; the old versions replaced.
    for (const auto& [path, bytes] : job.files) {
        CONTEXT(quaytest::Utf8(path));
        CHECK(quaytest::ReadBytes(job.Copy(path)) == bytes);
    }
    size_t folderQuestions = 0, fileQuestions = 0, progress = 0;
    for (const Seen& s : relayed.All()) {
        if (s.code == SluiceCoreEvent::Question) {
            CHECK_EQ(s.type, int32_t{SluiceException::OverwriteQuestion});
            ++(s.destinationIsFolder ? folderQuestions : fileQuestions);
        }
        if (IsProgress(s)) ++progress;
    }
    // The folder merge and one file question: the answer for all came back with it and
    // covered the second existing file without asking again.
    CHECK_EQ(folderQuestions, size_t{1});
    CHECK_EQ(fileQuestions, size_t{1});
    CHECK(progress >= 1);
    for (const Seen& q : observer.With(SluiceCoreEvent::Question))
        if (q.type == SluiceException::OverwriteQuestion) CHECK_EQ(q.answer, int32_t{SluiceCoreEvent::Overwrite});
}

TEST_CASE("a cancel pressed here stops the elevated engine after its next event") {
    Job job(64 * MiB);
    DeniedFirstRead reader;
    JobObserver observer;
    AnswerAsUser(observer);
    std::atomic<bool> cancelled{false};
    CountingLauncher launcher;
    // The user presses cancel while the dialog shows the elevated instance's first progress.
    Relayed relayed(observer, launcher, [&](const Seen& s) {
        if (IsProgress(s) && !cancelled.exchange(true)) ::SetEvent(observer.CancelEvent());
    });
    AlgorithmHooks hooks;
    hooks.readerTransfer = &reader.transfer;
    hooks.launcher = &launcher;
    RunJob(job.Option(), observer, &hooks);

    CheckFrame(observer, true);
    REQUIRE(cancelled.load());
    CHECK_EQ(quaytest::WaitExit(launcher.process), 0L);
    // The elevated engine stopped: the large file is not there whole, and its cancel was
    // reported here like any error of its own.
    const std::wstring large = job.Copy(job.rest + L"\\sub\\large.bin");
    CHECK(!quaytest::Exists(large) || quaytest::ReadBytes(large).size() < 64 * MiB);
    bool elevatedCancelled = false;
    for (const Seen& s : relayed.All())
        if (s.code == SluiceCoreEvent::Error && s.type == SluiceException::Cancelled) elevatedCancelled = true;
    CHECK(elevatedCancelled);
}

TEST_CASE("a refused prompt ends the job with event 2001 and the rest uncopied") {
    Job job;
    DeniedFirstRead reader;
    JobObserver observer;
    AnswerAsUser(observer);
    CountingLauncher launcher;
    launcher.failWith = ERROR_CANCELLED;
    Relayed relayed(observer, launcher);
    AlgorithmHooks hooks;
    hooks.readerTransfer = &reader.transfer;
    hooks.launcher = &launcher;
    RunJob(job.Option(), observer, &hooks);

    CheckFrame(observer, true);
    CHECK_EQ(launcher.launches.load(), 1);
    CHECK(relayed.All().empty());
    CHECK(!quaytest::Exists(job.Copy(job.first)));
    CHECK(!quaytest::Exists(job.Copy(job.rest + L"\\sub\\large.bin")));
    CHECK_EQ(quaytest::ReadBytes(job.target / L"rest\\a.txt"), std::string("old a"));
}

TEST_CASE("killing the elevated process mid-job ends the job here") {
    Job job(64 * MiB);
    DeniedFirstRead reader;
    JobObserver observer;
    AnswerAsUser(observer);
    CountingLauncher launcher;
    std::atomic<bool> killed{false};
    // Killed while it waits for the reply to its first progress event.
    Relayed relayed(observer, launcher, [&](const Seen& s) {
        if (IsProgress(s) && !killed.exchange(true)) ::TerminateProcess(launcher.process.get(), 7);
    });
    AlgorithmHooks hooks;
    hooks.readerTransfer = &reader.transfer;
    hooks.launcher = &launcher;
    RunJob(job.Option(), observer, &hooks);

    CheckFrame(observer, true);
    REQUIRE(killed.load());
    CHECK_EQ(quaytest::WaitExit(launcher.process), 7L);
    const std::wstring large = job.Copy(job.rest + L"\\sub\\large.bin");
    CHECK(!quaytest::Exists(large) || quaytest::ReadBytes(large).size() < 64 * MiB);
}
