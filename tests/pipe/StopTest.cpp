// Ending a server's waits: the stop request from another thread, the stop event alone,
// a wait that an override abandons, and a pipe that cannot be created.
#include <windows.h>

#include "EchoServer.h"
#include "PipeCommandClient.h"
#include "PeerProcess.h"
#include "PipePeers.h"
#include "RunningServer.h"
#include "TestFiles.h"
#include "TestHarness.h"

using pipetest::EchoServer;
using pipetest::RunningServer;

static bool PipeExists(const std::wstring& name) {
    Marlin::FileHandle h(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OVERLAPPED, nullptr));
    return h.valid() || GetLastError() != ERROR_FILE_NOT_FOUND;
}

// args: pipe name
TEST_CHILD("version-client") {
    pipetest::PeerProcess::LimitLifetime();
    Marlin::PipeCommandClient client(pipetest::FromAscii(args.at(0)));
    if (!client.OpenWait(20000)) return 2;
    return pipetest::EchoConversation(client, {});
}

// args: pipe name, event to signal once open. Sends nothing; 0 when its read fails
// because the server went away.
TEST_CHILD("silent-client") {
    pipetest::PeerProcess::LimitLifetime();
    Marlin::PipeCommandClient client(pipetest::FromAscii(args.at(0)));
    if (!client.OpenWait(20000)) return 2;
    if (!pipetest::SignalNamedEvent(args.at(1))) return 3;
    std::vector<uint8_t> message;
    return client.Read(message) == 0 ? 0 : 4;
}

// args: pipe name, event to wait for before sending. Sends one 1500-byte echo request
// and checks the answer.
TEST_CHILD("late-sender") {
    pipetest::PeerProcess::LimitLifetime();
    Marlin::PipeCommandClient client(pipetest::FromAscii(args.at(0)));
    if (!client.OpenWait(20000)) return 2;
    if (!pipetest::WaitNamedEvent(args.at(1), 30000)) return 3;
    auto request = pipetest::EchoRequest(1500, 7);
    if (!client.Write(request.data(), static_cast<uint32_t>(request.size()))) return 4;
    std::vector<uint8_t> reply;
    if (!client.Read(reply)) return 5;
    return reply == pipetest::EchoReply(request) ? 0 : 6;
}

TEST_CASE("a stop while the server waits for a client makes Run return 0 and removes the pipe") {
    std::wstring name = pipetest::UniquePipeName("stopconnect");
    EchoServer server(name);
    RunningServer running(server);
    REQUIRE(WaitForSingleObject(server.WaitEntered(), 10000) == WAIT_OBJECT_0);
    CHECK(!running.WaitDone(200));  // it really is waiting

    server.RequestStop();
    REQUIRE(running.WaitDone(5000));
    CHECK_EQ(running.Result(), 0);
    CHECK_EQ(server.Connections(), 0);
    CHECK(!server.IsOpen());
    CHECK(!PipeExists(name));
}

TEST_CASE("the stop event without the flag ends only the current wait: Run serves on") {
    std::wstring name = pipetest::UniquePipeName("eventonly");
    EchoServer server(name);
    RunningServer running(server);
    REQUIRE(WaitForSingleObject(server.WaitEntered(), 10000) == WAIT_OBJECT_0);

    SetEvent(server.StopEvent());
    // The instance is closed and created again; Run waits for a client once more.
    REQUIRE(WaitForSingleObject(server.WaitEntered(), 10000) == WAIT_OBJECT_0);
    CHECK(!running.WaitDone(0));
    pipetest::PeerProcess child("version-client", {pipetest::Ascii(name)});
    CHECK_EQ(child.Wait(60000), 0L);
    CHECK_EQ(server.Connections(), 1);

    server.RequestStop();
    REQUIRE(running.WaitDone(10000));
    CHECK_EQ(running.Result(), 0);
}

TEST_CASE("a stop during a pending read makes Run return 0 and breaks the client's pipe") {
    std::wstring name = pipetest::UniquePipeName("stopread");
    std::string opened = pipetest::UniqueObjectName("opened");
    auto openedEvent = pipetest::CreateNamedEvent(opened);
    EchoServer server(name);
    RunningServer running(server);
    pipetest::PeerProcess child("silent-client", {pipetest::Ascii(name), opened});
    REQUIRE(WaitForSingleObject(openedEvent.get(), 30000) == WAIT_OBJECT_0);
    REQUIRE(WaitForSingleObject(server.TransferWaiting(), 10000) == WAIT_OBJECT_0);
    CHECK(!running.WaitDone(200));

    server.RequestStop();
    REQUIRE(running.WaitDone(5000));
    CHECK_EQ(running.Result(), 0);
    CHECK(server.RequestSizes().empty());
    CHECK_EQ(child.Wait(30000), 0L);
}

TEST_CASE("a read whose wait was abandoned is cancelled: the next read gets the next message whole") {
    std::wstring name = pipetest::UniquePipeName("abandon");
    std::string go = pipetest::UniqueObjectName("go");
    auto goEvent = pipetest::CreateNamedEvent(go);
    Marlin::KernelHandle abandon(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    EchoServer server(name);
    server.SetAbandonEvent(abandon.get());
    REQUIRE_EQ(server.Create(), 1);
    pipetest::PeerProcess child("late-sender", {pipetest::Ascii(name), go});
    REQUIRE_EQ(server.Connect(), 1);

    // The client sends nothing before "go", so this read is pending when its wait ends.
    SetEvent(abandon.get());
    std::vector<uint8_t> message;
    CHECK_EQ(server.Read(message), 0);
    CHECK(message.empty());
    CHECK(server.IsOpen());

    // Had the abandoned read stayed in flight, it would take the first chunk of this
    // message into memory that is no longer its buffer.
    SetEvent(goEvent.get());
    REQUIRE_EQ(server.Read(message), 1);
    CHECK(message == pipetest::EchoRequest(1500, 7));
    server.OnCommand(message);
    CHECK_EQ(server.Read(message), 0);  // the client closed its end
    CHECK_EQ(child.Wait(30000), 0L);
}

TEST_CASE("Run returns -1 when no pipe instance can be created") {
    std::wstring taken = pipetest::UniquePipeName("taken");
    EchoServer holder(taken);
    REQUIRE_EQ(holder.Create(), 1);

    struct Row {
        const char* what;
        std::wstring name;
    } rows[] = {
        {"a path outside the pipe namespace", L"C:\\quaytest-not-a-pipe"},
        {"an empty name", L""},
        {"a name whose one instance another server holds", taken},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        EchoServer server(row.name);
        RunningServer running(server);
        REQUIRE(running.WaitDone(5000));
        CHECK_EQ(running.Result(), -1);
        CHECK(!server.IsOpen());
    }
    CHECK(holder.IsOpen());
}
