// Questions through the event: the answer an observer gives, which answers are remembered
// for which kind of question, a stale answer that must not pass for a new one, the
// exception lent for the delivery, and Relay of another engine's notifications.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "UniqueHandle.h"
#include "RecordingObserver.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using Marlin::WindowsFileException;
using Marlin::Sluice::SluiceCoreDisplayStatus;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;
using Marlin::Sluice::SluiceExceptionEncrypted;
using Marlin::Sluice::SluiceExceptionOverwrite;
using Marlin::Sluice::SluiceExceptionRetryFile;
using Lap = Marlin::Sluice::SluiceCoreDisplayStatusLapTime;
using namespace coretest;
using quaytest::TempDir;
using quaytest::WriteBytes;

namespace {

constexpr int32_t kRetry = SluiceCoreEvent::Retry, kSkip = SluiceCoreEvent::Skip, kCancel = SluiceCoreEvent::Cancel,
                  kWithoutEncryption = SluiceCoreEvent::WithoutEncryption, kOverwrite = SluiceCoreEvent::Overwrite,
                  kElevate = SluiceCoreEvent::Elevate;

// Answers each question with the next (answer, apply-to-all) of its script; a question
// beyond the script is left unanswered.
class Answering {
public:
    explicit Answering(SluiceCoreEvent& event) : observer_([this](SluiceCoreEvent& e, const Delivery& seen) {
        if (seen.code != SluiceCoreEvent::Question || script_.empty()) return;
        e.answer = script_.front().first;
        e.applyToAll = script_.front().second;
        script_.pop_front();
    }) {
        event.Attach(&observer_);
    }
    void Then(int32_t answer, int32_t applyToAll) { script_.emplace_back(answer, applyToAll); }
    size_t Questions() const {
        size_t n = 0;
        for (int32_t c : observer_.Codes()) n += c == SluiceCoreEvent::Question;
        return n;
    }
    RecordingObserver& observer() { return observer_; }

private:
    std::deque<std::pair<int32_t, int32_t>> script_;
    RecordingObserver observer_;
};

WIN32_FILE_ATTRIBUTE_DATA Attributes(bool folder) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    return data;
}

SluiceExceptionOverwrite Conflict(bool sourceFolder, bool destinationFolder) {
    return SluiceExceptionOverwrite(L"C:\\s\\x", Attributes(sourceFolder), L"D:\\d\\x", Attributes(destinationFolder));
}

SluiceExceptionEncrypted Encrypted(bool folder) {
    WIN32_FILE_ATTRIBUTE_DATA data = Attributes(folder);
    data.dwFileAttributes |= FILE_ATTRIBUTE_ENCRYPTED;
    return SluiceExceptionEncrypted(L"C:\\s\\x", data);
}

int32_t AskRetry(SluiceCoreEvent& event, const WindowsFileException& error) {
    const SluiceExceptionRetryFile question(error);
    int32_t answer = -1;
    event.AskRetryFile(question, answer);
    return answer;
}

}  // namespace

TEST_CASE("a retry answer given for all is kept per error code, never for another code") {
    TempDir dir;
    WriteBytes(dir / L"f.txt", "x");
    const WindowsFileException sharing(ERROR_SHARING_VIOLATION, dir / L"f.txt");
    const WindowsFileException denied(ERROR_ACCESS_DENIED, dir / L"f.txt");

    SluiceCoreEvent event;
    Answering user(event);
    user.Then(kSkip, 1);
    CHECK_EQ(AskRetry(event, sharing), kSkip);
    CHECK_EQ(user.Questions(), size_t(1));

    CHECK_EQ(AskRetry(event, sharing), kSkip);  // answered from memory
    CHECK_EQ(user.Questions(), size_t(1));

    user.Then(kCancel, 0);
    CHECK_EQ(AskRetry(event, denied), kCancel);
    CHECK_EQ(user.Questions(), size_t(2));
    user.Then(kRetry, 0);
    CHECK_EQ(AskRetry(event, denied), kRetry);  // the cancel was not for all
    CHECK_EQ(user.Questions(), size_t(3));
    CHECK_EQ(AskRetry(event, sharing), kSkip);
    CHECK_EQ(user.Questions(), size_t(3));
}

TEST_CASE("only a real decision given for all is remembered: never retry, never no answer") {
    TempDir dir;
    WriteBytes(dir / L"f.txt", "x");
    const WindowsFileException sharing(ERROR_SHARING_VIOLATION, dir / L"f.txt");
    struct Row {
        int32_t answer;
        int32_t applyToAll;
        bool remembered;
    } rows[] = {
        {kRetry, 1, false}, {0, 1, false},      {kSkip, 0, false},    {kSkip, 2, false},
        {kSkip, 1, true},   {kCancel, 1, true}, {kElevate, 1, true},  {kOverwrite, 1, true},
    };
    for (const Row& row : rows) {
        CONTEXT("answer " + std::to_string(row.answer) + " for all " + std::to_string(row.applyToAll));
        // The same rule for each kind of question with memory.
        for (int kind = 0; kind < 3; ++kind) {
            CONTEXT("question kind " + std::to_string(kind));
            SluiceCoreEvent event;
            Answering user(event);
            user.Then(row.answer, row.applyToAll);
            user.Then(kWithoutEncryption, 0);  // something different, should it be asked again
            int32_t first = -1, second = -1;
            const SluiceExceptionRetryFile retry(sharing);
            const SluiceExceptionEncrypted encrypted = Encrypted(false);
            const SluiceExceptionOverwrite conflict = Conflict(false, false);
            for (int32_t* out : {&first, &second}) {
                if (kind == 0) event.AskRetryFile(retry, *out);
                if (kind == 1) event.AskEncrypted(encrypted, *out);
                if (kind == 2) event.AskOverwrite(conflict, *out);
            }
            CHECK_EQ(first, row.answer);
            CHECK_EQ(second, row.remembered ? row.answer : kWithoutEncryption);
            CHECK_EQ(user.Questions(), size_t(row.remembered ? 1 : 2));
        }
    }
}

TEST_CASE("a retry question without its platform error is asked every time") {
    SluiceCoreEvent event;
    Answering user(event);
    user.Then(kSkip, 1);
    user.Then(kCancel, 1);
    const SluiceExceptionRetryFile received;  // as the pipe reader makes one
    int32_t answer = -1;
    event.AskRetryFile(received, answer);
    CHECK_EQ(answer, kSkip);
    event.AskRetryFile(received, answer);
    CHECK_EQ(answer, kCancel);
    CHECK_EQ(user.Questions(), size_t(2));
}

TEST_CASE("encryption answers are kept apart for files and folders") {
    SluiceCoreEvent event;
    Answering user(event);
    user.Then(kWithoutEncryption, 1);
    int32_t answer = -1;
    event.AskEncrypted(Encrypted(false), answer);
    CHECK_EQ(answer, kWithoutEncryption);
    event.AskEncrypted(Encrypted(false), answer);
    CHECK_EQ(answer, kWithoutEncryption);
    CHECK_EQ(user.Questions(), size_t(1));

    user.Then(kSkip, 1);
    event.AskEncrypted(Encrypted(true), answer);
    CHECK_EQ(answer, kSkip);
    CHECK_EQ(user.Questions(), size_t(2));
    event.AskEncrypted(Encrypted(true), answer);
    event.AskEncrypted(Encrypted(false), answer);
    CHECK_EQ(answer, kWithoutEncryption);
    CHECK_EQ(user.Questions(), size_t(2));
}

TEST_CASE("an overwrite answer for all covers only its own pair of source and destination kinds") {
    const std::pair<bool, bool> kinds[] = {{false, false}, {false, true}, {true, true}, {true, false}};
    const char* names[] = {"file over file", "file over folder", "folder over folder", "folder over file"};
    for (int remembered = 0; remembered < 4; ++remembered) {
        CONTEXT(std::string("answered for all: ") + names[remembered]);
        SluiceCoreEvent event;
        Answering user(event);
        user.Then(kOverwrite, 1);
        int32_t answer = -1;
        event.AskOverwrite(Conflict(kinds[remembered].first, kinds[remembered].second), answer);
        REQUIRE_EQ(answer, kOverwrite);
        for (int other = 0; other < 4; ++other) {
            CONTEXT(std::string("then ") + names[other]);
            const size_t before = user.Questions();
            user.Then(kSkip, 0);
            event.AskOverwrite(Conflict(kinds[other].first, kinds[other].second), answer);
            const bool asked = user.Questions() > before;
            CHECK_EQ(asked, other != remembered);
            CHECK_EQ(answer, other == remembered ? kOverwrite : kSkip);
        }
    }
}

TEST_CASE("a question starts with no answer, lends its exception, and is cleared when answered") {
    TempDir dir;
    WriteBytes(dir / L"f.txt", "x");
    const WindowsFileException denied(ERROR_ACCESS_DENIED, dir / L"f.txt");
    const SluiceExceptionRetryFile retry(denied);
    const SluiceExceptionOverwrite conflict = Conflict(false, false);
    const SluiceExceptionEncrypted encrypted = Encrypted(true);

    SluiceCoreEvent event;
    // An observer that scribbles an answer into a notification that asks nothing, as a
    // careless dialog might: the next question must not take it for its own answer.
    RecordingObserver careless([](SluiceCoreEvent& e, const Delivery& seen) {
        if (seen.code != SluiceCoreEvent::Question) {
            e.answer = kOverwrite;
            e.applyToAll = 1;
        }
    });
    event.Attach(&careless);

    struct Row {
        const char* name;
        const Marlin::Exception* exception;
        std::function<int32_t()> ask;
    } rows[] = {
        {"retry", &retry, [&] { int32_t a = -1; event.AskRetryFile(retry, a); return a; }},
        {"overwrite", &conflict, [&] { int32_t a = -1; event.AskOverwrite(conflict, a); return a; }},
        {"encryption", &encrypted, [&] { int32_t a = -1; event.AskEncrypted(encrypted, a); return a; }},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        careless.Clear();
        event.NotifyCode(SluiceCoreEvent::WriteProgress);
        // Nobody answers: no answer, which the algorithm takes as cancel, and nothing kept.
        CHECK_EQ(row.ask(), 0);
        CHECK_EQ(row.ask(), 0);
        const std::vector<Delivery> seen = careless.Deliveries();
        REQUIRE_EQ(seen.size(), size_t(3));
        for (size_t i = 1; i < 3; ++i) {
            CHECK_EQ(seen[i].code, int32_t(SluiceCoreEvent::Question));
            CHECK_EQ(seen[i].answerAtEntry, 0);
            CHECK_EQ(seen[i].applyToAllAtEntry, 0);
            CHECK(seen[i].exception == row.exception);
            CHECK_EQ(seen[i].ownsException, 0);
        }
        CHECK(event.status.exception() == nullptr);
        CHECK_EQ(event.answer, 0);
        CHECK_EQ(event.applyToAll, 0);
    }
}

TEST_CASE("a question without memory leaves its answer in the event") {
    SluiceCoreEvent event;
    Answering user(event);
    user.Then(kSkip, 1);
    const SluiceException question(SluiceException::OverwriteQuestion);
    event.NotifyQuestion(&question);
    CHECK_EQ(event.answer, kSkip);
    CHECK_EQ(event.applyToAll, 1);
    CHECK(event.status.exception() == nullptr);
    // Nothing was remembered, and the next question starts from no answer again.
    event.NotifyQuestion(&question);
    CHECK_EQ(event.answer, 0);
    CHECK_EQ(user.Questions(), size_t(2));
    CHECK_EQ(user.observer().Deliveries()[1].answerAtEntry, 0);
}

TEST_CASE("a question answered for all while another thread waited for the lock is not asked again") {
    SluiceCoreEvent event;
    Marlin::KernelHandle secondAsking(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread second;
    int32_t secondAnswer = -1;
    const SluiceExceptionOverwrite conflict = Conflict(false, false);
    int questions = 0;
    RecordingObserver user([&](SluiceCoreEvent& e, const Delivery& seen) {
        if (seen.code != SluiceCoreEvent::Question) return;
        if (++questions == 1) {
            // While the first question is on screen, the other copy thread meets the same
            // kind of conflict and queues up behind it.
            second = std::thread([&] {
                SetEvent(secondAsking.get());
                event.AskOverwrite(conflict, secondAnswer);
            });
            WaitForSingleObject(secondAsking.get(), 30000);
            Sleep(100);  // let it reach the lock; the outcome must not depend on whether it did
        }
        e.answer = questions == 1 ? kOverwrite : kSkip;
        e.applyToAll = 1;
    });
    event.Attach(&user);
    int32_t firstAnswer = -1;
    event.AskOverwrite(conflict, firstAnswer);
    if (second.joinable()) second.join();
    CHECK_EQ(firstAnswer, kOverwrite);
    CHECK_EQ(secondAnswer, kOverwrite);
    CHECK_EQ(questions, 1);
}

TEST_CASE("Relay delivers another engine's status under its code and returns the answer as the rules say") {
    SluiceCoreDisplayStatus received;
    received.totalElapsedMs = 1;
    received.copyElapsedMs = 2;
    received.byteCounts = {3, 4, 5};
    received.weightedByteCounts = {6, 7, 8};
    received.itemCounts = {9, 10, 11};
    received.sourceFolder = L"C:\\src";
    received.destinationFolder = L"D:\\dst";
    received.readingPath = L"C:\\src\\r";
    received.writingPath = L"D:\\dst\\w";
    received.lastRead = {12, 13};
    received.lastWrite = {14, 15};
    received.readLaps = {{16, 17}};
    received.writeLaps = {{18, 19}, {20, 21}};
    received.readTotals = {{22, 23}};
    received.writeTotals = {{24, 25}};
    received.AttachException(std::make_unique<SluiceException>(SluiceException::Cancelled));

    struct Row {
        int32_t code;
        int32_t answer;
        int32_t applyToAll;
        int32_t answerOut;
        int32_t applyToAllOut;
    } rows[] = {
        {SluiceCoreEvent::Question, kOverwrite, 1, kOverwrite, 1},
        {SluiceCoreEvent::Question, kSkip, 0, kSkip, 0},
        {SluiceCoreEvent::Question, kRetry, 1, kRetry, 0},
        {SluiceCoreEvent::Question, 0, 1, 0, 0},
        {SluiceCoreEvent::WriteProgress, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        CONTEXT("code " + std::to_string(row.code) + " answer " + std::to_string(row.answer));
        SluiceCoreEvent event;
        event.status.readLaps = {{99, 99}, {98, 98}};  // whatever was there before goes
        RecordingObserver observer([&](SluiceCoreEvent& e, const Delivery&) {
            e.answer = row.answer;
            e.applyToAll = row.applyToAll;
        });
        event.Attach(&observer);
        int32_t answer = -1, applyToAll = -1;
        event.Relay(row.code, received, answer, applyToAll);
        CHECK_EQ(answer, row.answerOut);
        CHECK_EQ(applyToAll, row.applyToAllOut);

        const std::vector<Delivery> seen = observer.Deliveries();
        REQUIRE_EQ(seen.size(), size_t(1));
        CHECK_EQ(seen[0].code, row.code);
        CHECK_EQ(seen[0].answerAtEntry, 0);
        CHECK(seen[0].exception == received.exception());
        CHECK_EQ(seen[0].ownsException, 0);
        const SluiceCoreDisplayStatus& s = seen[0].status;
        CHECK_EQ(s.totalElapsedMs, uint64_t(1));
        CHECK_EQ(s.copyElapsedMs, uint64_t(2));
        CHECK_EQ(s.byteCounts.written, uint64_t(5));
        CHECK_EQ(s.weightedByteCounts.read, uint64_t(7));
        CHECK_EQ(s.itemCounts.total, uint64_t(9));
        CHECK_EQ(s.sourceFolder, received.sourceFolder);
        CHECK_EQ(s.destinationFolder, received.destinationFolder);
        CHECK_EQ(s.readingPath, received.readingPath);
        CHECK_EQ(s.writingPath, received.writingPath);
        CHECK(s.lastRead == received.lastRead);
        CHECK(s.lastWrite == received.lastWrite);
        CHECK(s.readLaps == received.readLaps);
        CHECK(s.writeLaps == received.writeLaps);
        CHECK(s.readTotals == received.readTotals);
        CHECK(s.writeTotals == received.writeTotals);

        // Lent, not taken over: the event lets go, the received status still owns it.
        CHECK(event.status.exception() == nullptr);
        CHECK_EQ(event.answer, 0);
        CHECK_EQ(event.applyToAll, 0);
        CHECK_EQ(received.ownsException(), 1);
        REQUIRE(received.exception() != nullptr);
        CHECK_EQ(static_cast<const SluiceException*>(received.exception())->type, int32_t(SluiceException::Cancelled));
    }
}
