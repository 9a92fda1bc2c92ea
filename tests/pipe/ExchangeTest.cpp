// Requests and replies between two processes: the version handshake, messages around
// the 1024-byte chunk and far beyond the pipe's buffers, one client after the other.
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

// A chunk, one byte over, two whole chunks, and 100 KB: each sent with one write.
static const std::vector<size_t> Sizes = {1024, 1025, 2048, 100 * 1024};

static std::vector<size_t> ExpectedRequests() {
    std::vector<size_t> out = {4};
    out.insert(out.end(), Sizes.begin(), Sizes.end());
    return out;
}

// args: pipe name [, event to signal once the pipe is open]
TEST_CHILD("echo-client") {
    pipetest::PeerProcess::LimitLifetime();
    Marlin::PipeCommandClient client(pipetest::FromAscii(args.at(0)));
    if (!client.OpenWait(20000)) return 2;
    if (args.size() > 1 && !pipetest::SignalNamedEvent(args[1])) return 3;
    return pipetest::EchoConversation(client, Sizes);
}

TEST_CASE("a client gets the version and every echo back byte for byte") {
    std::wstring name = pipetest::UniquePipeName("echo");
    EchoServer server(name);
    RunningServer running(server);
    pipetest::PeerProcess child("echo-client", {pipetest::Ascii(name)});
    CHECK_EQ(child.Wait(60000), 0L);
    // The server saw each request as one message, neither cut nor merged.
    CHECK(server.RequestSizes() == ExpectedRequests());
    CHECK_EQ(server.Connections(), 1);
}

TEST_CASE("Run serves two clients one after the other on a re-created instance") {
    std::wstring name = pipetest::UniquePipeName("two");
    EchoServer server(name);
    RunningServer running(server);
    // Both start at once: the one that comes second finds the single instance busy
    // and gets in only after the first has gone and Run has created the pipe again.
    pipetest::PeerProcess first("echo-client", {pipetest::Ascii(name)});
    pipetest::PeerProcess second("echo-client", {pipetest::Ascii(name)});
    CHECK_EQ(first.Wait(60000), 0L);
    CHECK_EQ(second.Wait(60000), 0L);
    CHECK_EQ(server.Connections(), 2);
    auto twice = ExpectedRequests();
    auto once = ExpectedRequests();
    twice.insert(twice.end(), once.begin(), once.end());
    CHECK(server.RequestSizes() == twice);
    CHECK(!running.WaitDone(0));
    server.RequestStop();
    REQUIRE(running.WaitDone(10000));
    CHECK_EQ(running.Result(), 0);
}

TEST_CASE("a client that opened the pipe before Connect is served without a wait") {
    std::wstring name = pipetest::UniquePipeName("early");
    std::string opened = pipetest::UniqueObjectName("opened");
    auto openedEvent = pipetest::CreateNamedEvent(opened);
    EchoServer server(name);
    REQUIRE_EQ(server.Create(), 1);
    pipetest::PeerProcess child("echo-client", {pipetest::Ascii(name), opened});
    REQUIRE(WaitForSingleObject(openedEvent.get(), 30000) == WAIT_OBJECT_0);

    CHECK_EQ(server.Connect(), 1);
    CHECK_EQ(server.WaitCalls(), 0);  // ConnectNamedPipe reported the client at once
    std::vector<uint8_t> message;
    while (server.Read(message)) server.OnCommand(message);
    CHECK_EQ(child.Wait(60000), 0L);
    CHECK(server.RequestSizes() == ExpectedRequests());
}
