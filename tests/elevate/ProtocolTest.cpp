// The elevation pipe between real processes under Wine: the normal instance's server (the
// real one, launching through the real ShellExecuteExW) and its elevated client, either
// this test program as a scripted child or the real Quaysail.exe in run mode 2. Covers
// who may talk to whom (the pipe's first instance, the launched client only, the named
// server only), the version check, the events that are relayed and those that are not,
// a cut event, and a cancel that reaches the client with its next cancel query.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "COSVersion.h"
#include "ElevateFixtures.h"
#include "HexBytes.h"
#include "PeerProcess.h"
#include "ProtocolVersion.h"
#include "SluiceCopyAlgorithmMultiThreadElevate.h"
#include "SluiceCopyAlgorithmMultiThreadElevateClient.h"
#include "SluiceCoreEvent.h"
#include "SluiceCoreEventElevateClientHandler.h"
#include "SluiceElevateMessages.h"
#include "SluiceException.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceOption.h"
#include "SluiceStatus.h"
#include "Stopwatch.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::KernelHandle;
using Marlin::SluiceElevateMessages;
using Marlin::Sluice::SluiceCopyAlgorithmMultiThreadElevate;
using Marlin::Sluice::SluiceCopyAlgorithmMultiThreadElevateClient;
using Marlin::Sluice::SluiceCoreEvent;
using namespace elevatetest;
using pipetest::PeerProcess;

namespace {

// The scripted elevated instance's start: its pipe open, its server checked, the version equal.
int OpenChecked(SluiceCopyAlgorithmMultiThreadElevateClient& client) {
    if (client.Open() != 1) return 10;
    if (!client.ServerIsNamedProcess()) return 11;
    if (!client.QueryVersion()) return 12;
    return 0;
}

class OlderSystem : public Marlin::COSVersion {
public:
    OlderSystem(DWORD major, DWORD minor) : COSVersion(major, minor) {}
};

}  // namespace

TEST_CHILD("frame-and-relayed-events") {
    PeerProcess::LimitLifetime();
    if (args.size() != 2) return 2;
    SluiceCopyAlgorithmMultiThreadElevateClient client(quaytest::Widen(args[1]));
    if (int failed = OpenChecked(client)) return failed;
    SluiceCoreEvent event;
    Marlin::Sluice::SluiceCoreEventElevateClientHandler relay(client);
    event.Attach(&relay);
    KernelHandle cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Marlin::Sluice::SluiceStatus status;
    event.NotifyStarted();
    event.NotifyCopyStarted();
    event.NotifyEnumerated(status, cancel.get());
    const Marlin::Sluice::SluiceException failure(Marlin::Sluice::SluiceException::EnumerationFailed);
    event.NotifyError(&failure);
    // The parent's dialog cancelled while it showed the error: the cancel query after it said so.
    if (::WaitForSingleObject(event.cancelEvent, 0) != WAIT_OBJECT_0) return 13;
    Marlin::Sluice::SluiceExceptionOverwrite question(L"C:\\a.txt", {}, L"D:\\a.txt", {});
    event.NotifyQuestion(&question);
    if (event.answer != 5 || event.applyToAll != 1) return 14;
    event.NotifyFinished(1, 2);
    event.NotifyEnded();
    client.Close();
    return 0;
}

TEST_CASE("only errors, progress and questions are relayed; every event is followed by a cancel query, which carries a cancel") {
    NormalSide normal;
    normal.log.hook = [&normal](SluiceCoreEvent& event) {
        if (event.code == SluiceCoreEvent::Error) ::SetEvent(normal.cancel.get());
    };
    CountingLauncher launcher("frame-and-relayed-events");
    RecordingServer server(normal.option, normal.event, normal.cancel.get(), normal.status, normal.total, normal.copy,
                           &launcher);
    server.HandOver();
    REQUIRE_EQ(launcher.launches.load(), 1);
    CHECK_EQ(std::wstring(launcher.verbUsed), std::wstring(L"runas"));  // Wine presents 6.1
    CHECK_EQ(quaytest::WaitExit(launcher.process), 0L);
    // 1000, 2000 and 2100 bring a cancel query each; 2002 and 2003 are relayed and followed
    // by one; 2001 and 1001 again only the query.
    CHECK_EQ(Join(server.Commands()), std::string("1 10 10 10 5 10 6 10 10 10"));
    CHECK_EQ(Join(normal.log.Codes()), std::string("2002 2003"));
    const auto entries = normal.log.Entries();
    REQUIRE_EQ(entries.size(), size_t{2});
    CHECK(entries[1].exceptionClass.find("SluiceExceptionOverwrite") != std::string::npos);
    CHECK_EQ(server.CancelSeen(), 1);
}

TEST_CHILD("cut-event") {
    PeerProcess::LimitLifetime();
    if (args.size() != 2) return 2;
    SluiceCopyAlgorithmMultiThreadElevateClient client(quaytest::Widen(args[1]));
    if (int failed = OpenChecked(client)) return failed;
    Marlin::Sluice::SluiceCoreDisplayStatus status;
    status.readingPath = L"C:\\src\\whole.txt";
    const std::vector<uint8_t> whole = SluiceElevateMessages::EventRequest(SluiceElevateMessages::kEvent, 3001, status);
    std::vector<uint8_t> reply;
    if (!client.Write(whole.data(), static_cast<uint32_t>(whole.size() - 3)) || client.Read(reply) != 1) return 20;
    if (wiretest::Hex(reply) != "01 00 00 00") return 21;
    if (!client.SendEvent(3001, status)) return 22;
    client.Close();
    return 0;
}

TEST_CASE("an event request 3 bytes short is answered with status 1 alone and does not reach the dialog") {
    NormalSide normal;
    CountingLauncher launcher("cut-event");
    RecordingServer server(normal.option, normal.event, normal.cancel.get(), normal.status, normal.total, normal.copy,
                           &launcher);
    server.HandOver();
    CHECK_EQ(quaytest::WaitExit(launcher.process), 0L);
    CHECK_EQ(Join(server.Commands()), std::string("1 5 5"));
    const auto entries = normal.log.Entries();
    REQUIRE_EQ(entries.size(), size_t{1});
    CHECK_EQ(entries[0].code, 3001);
    CHECK_EQ(entries[0].readingPath, std::wstring(L"C:\\src\\whole.txt"));
}

TEST_CHILD("idle") {
    PeerProcess::LimitLifetime();
    KernelHandle done = OpenSignal("idle-done", args.at(2));
    return done && ::WaitForSingleObject(done.get(), 60000) == WAIT_OBJECT_0 ? 0 : 30;
}

TEST_CHILD("intruder") {
    PeerProcess::LimitLifetime();
    SluiceCopyAlgorithmMultiThreadElevateClient client(quaytest::Widen(args.at(0)));
    if (client.OpenWait(30000) != 1) return 40;
    // Served would mean a job handed to a process that was never launched.
    return client.QueryVersion() ? 41 : 0;
}

TEST_CASE("a client that is not the launched process is turned away, and the hand-over ends") {
    NormalSide normal;
    KernelHandle idleDone = MakeSignal("idle-done");
    REQUIRE(idleDone);
    // The launched child never connects; a process that was not launched does.
    PeerProcess intruder("intruder", {quaytest::Utf8(OwnPipeName())});
    class IdleLauncher : public CountingLauncher {
    public:
        IdleLauncher() : CountingLauncher("idle") {}

    protected:
        BOOL Execute(SHELLEXECUTEINFOW& info) override {
            extra_ = std::wstring(info.lpParameters) + L" " + std::to_wstring(::GetCurrentProcessId());
            info.lpParameters = extra_.c_str();
            return CountingLauncher::Execute(info);
        }

    private:
        std::wstring extra_;
    } launcher;
    RecordingServer server(normal.option, normal.event, normal.cancel.get(), normal.status, normal.total, normal.copy,
                           &launcher);
    server.HandOver();
    CHECK_EQ(launcher.launches.load(), 1);
    CHECK_EQ(intruder.Wait(), 0L);
    CHECK(server.Commands().empty());
    CHECK(normal.log.Codes().empty());
    ::SetEvent(idleDone.get());
    CHECK_EQ(quaytest::WaitExit(launcher.process), 0L);
}

TEST_CHILD("squatter") {
    PeerProcess::LimitLifetime();
    return SquatElevationPipe(args.at(0));
}

TEST_CASE("the real Quaysail.exe asks nothing of a pipe that another process created under the name") {
    KernelHandle ready = MakeSignal("squat-ready");
    REQUIRE(ready);
    PeerProcess squatter("squatter", {std::to_string(::GetCurrentProcessId())});
    REQUIRE(::WaitForSingleObject(ready.get(), 30000) == WAIT_OBJECT_0);
    // The elevated instance started on that name: the server end is not the process the
    // name carries, so it asks for nothing, not even the version.
    CountingLauncher quaysail;
    SHELLEXECUTEINFOW info{};
    REQUIRE(quaysail.Launch(OwnPipeName(), info));
    KernelHandle process(info.hProcess);
    CHECK_EQ(quaytest::WaitExit(process), 0L);
    CHECK_EQ(squatter.Wait(), 0L);
}

TEST_CASE("the client accepts a server only when it is the process the pipe name carries") {
    struct Row {
        const char* what;
        DWORD namedProcess;
        bool accepted;
    } rows[] = {
        {"the name carries this process", ::GetCurrentProcessId(), true},
        {"the name carries another process", ::GetCurrentProcessId() + 4, false},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        const std::wstring name = SluiceCopyAlgorithmMultiThreadElevate::PipeNameFor(row.namedProcess);
        KernelHandle pipe(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1024,
                                             1024, 0, nullptr));
        REQUIRE(pipe.get() != INVALID_HANDLE_VALUE && pipe);
        SluiceCopyAlgorithmMultiThreadElevateClient client(name);
        REQUIRE_EQ(client.Open(), 1);
        CHECK_EQ(client.ServerIsNamedProcess(), row.accepted);
    }
    DWORD id = 0;
    CHECK(!SluiceCopyAlgorithmMultiThreadElevate::ProcessIdOf(L"\\\\.\\pipe\\other-12", id));
    CHECK(!SluiceCopyAlgorithmMultiThreadElevate::ProcessIdOf(OwnPipeName() + L"x", id));
    CHECK(SluiceCopyAlgorithmMultiThreadElevate::ProcessIdOf(OwnPipeName(), id) && id == ::GetCurrentProcessId());
}

TEST_CASE("a version reply of 1, 0, 0, 2 ends the real elevated instance without a further request") {
    class OtherVersion : public RecordingServer {
    public:
        using RecordingServer::RecordingServer;
        int Write(const void* bytes, uint32_t length) override {
            const std::vector<uint8_t> standard = Marlin::ProtocolVersion().Reply();
            if (length == standard.size() && std::memcmp(bytes, standard.data(), length) == 0) {
                const std::vector<uint8_t> other = Marlin::ProtocolVersion(1, 0, 0, 2).Reply();
                return RecordingServer::Write(other.data(), static_cast<uint32_t>(other.size()));
            }
            return RecordingServer::Write(bytes, length);
        }
    };
    NormalSide normal;
    CountingLauncher launcher;  // the real Quaysail.exe
    OtherVersion server(normal.option, normal.event, normal.cancel.get(), normal.status, normal.total, normal.copy,
                        &launcher);
    server.HandOver();
    REQUIRE_EQ(launcher.launches.load(), 1);
    CHECK_EQ(quaytest::WaitExit(launcher.process), 0L);
    CHECK_EQ(Join(server.Commands()), std::string("1"));
    CHECK(normal.log.Codes().empty());
}

TEST_CASE("the verb is runas where the system elevates, open on a system of major version 5") {
    struct Row {
        DWORD major, minor;
        const wchar_t* verb;
    } rows[] = {{5, 1, L"open"}, {5, 2, L"open"}, {6, 0, L"runas"}, {6, 1, L"runas"}, {10, 0, L"runas"}};
    for (const Row& row : rows) {
        CONTEXT(std::to_string(row.major) + "." + std::to_string(row.minor));
        CHECK_EQ(std::wstring(Marlin::ElevatedInstanceLauncher(OlderSystem(row.major, row.minor)).Verb()),
                 std::wstring(row.verb));
    }
}
