// A client waiting for its server's pipe: one that appears late, one that never does,
// and the tick arithmetic of the wait.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "CPipeCommandClient.h"
#include "EchoServer.h"
#include "PipeCommandClient.h"
#include "PeerProcess.h"
#include "PipePeers.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::CPipeCommandClient;

// args: pipe name, event to set once running, event to wait for. Creates the pipe as soon
// as the second event is set and serves one client.
TEST_CHILD("late-server") {
    pipetest::PeerProcess::LimitLifetime();
    if (!pipetest::SignalNamedEvent(args.at(1))) return 2;
    if (!pipetest::WaitNamedEvent(args.at(2), 30000)) return 3;
    pipetest::EchoServer server(pipetest::FromAscii(args.at(0)));
    if (!server.Create()) return 4;
    if (!server.Connect()) return 5;
    std::vector<uint8_t> message;
    while (server.Read(message)) server.OnCommand(message);
    return server.RequestSizes().empty() ? 6 : 0;
}

namespace {

// A client that lets the server go the first time an open fails inside OpenWait, so the
// pipe appears while the wait is under way, whatever the machine's load.
class LatePipeClient : public Marlin::PipeCommandClient {
public:
    LatePipeClient(std::wstring name, std::string go) : PipeCommandClient(std::move(name)), go_(std::move(go)) {}

    int OpenWait(DWORD milliseconds) override {
        waiting_ = true;
        const int opened = PipeCommandClient::OpenWait(milliseconds);
        waiting_ = false;
        return opened;
    }
    int Open() override {
        const int opened = PipeCommandClient::Open();
        if (!opened && waiting_) {
            ++failedInWait;
            if (failedInWait == 1) pipetest::SignalNamedEvent(go_);
        }
        return opened;
    }

    int failedInWait = 0;

private:
    std::string go_;
    bool waiting_ = false;
};

}  // namespace

TEST_CASE("OpenWait(1000) opens a pipe that is created after the wait began") {
    std::wstring name = pipetest::UniquePipeName("late");
    std::string ready = pipetest::UniqueObjectName("ready");
    std::string go = pipetest::UniqueObjectName("go");
    auto readyEvent = pipetest::CreateNamedEvent(ready);
    auto goEvent = pipetest::CreateNamedEvent(go);
    pipetest::PeerProcess child("late-server", {pipetest::Ascii(name), ready, go});
    // The child's start-up is over before the wait begins, so it does not count against it.
    REQUIRE_EQ(WaitForSingleObject(readyEvent.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));

    LatePipeClient client(name, go);
    CHECK_EQ(client.Open(), 0);  // not there yet
    CHECK_EQ(client.OpenWait(1000), 1);
    CHECK(client.failedInWait >= 1);
    CHECK_EQ(pipetest::EchoConversation(client, {64}), 0);
    client.Close();
    CHECK_EQ(child.Wait(30000), 0L);
}

TEST_CASE("OpenWait(1000) gives up after about a second when no pipe appears") {
    Marlin::PipeCommandClient client(pipetest::UniquePipeName("never"));
    ULONGLONG t0 = GetTickCount64();
    CHECK_EQ(client.OpenWait(1000), 0);
    ULONGLONG elapsed = GetTickCount64() - t0;
    CHECK(!client.IsOpen());
    CHECK(elapsed >= 990);
    CHECK(elapsed < 5000);
}

TEST_CASE("the wait counts elapsed ticks, also across the wrap of the tick count") {
    struct Row {
        const char* what;
        DWORD start, now, limit;
        bool waiting;
    } rows[] = {
        {"just begun", 1000, 1000, 1000, true},
        {"one tick short", 1000, 1999, 1000, true},
        {"time is up", 1000, 2000, 1000, false},
        {"no time at all", 1000, 1000, 0, false},
        {"deadline beyond the wrap, now before it", 0xFFFFFF00u, 0xFFFFFF10u, 1000, true},
        {"deadline beyond the wrap, now past it", 0xFFFFFF00u, 0x000002E7u, 1000, true},
        {"deadline beyond the wrap, reached", 0xFFFFFF00u, 0x000002E8u, 1000, false},
        {"the longest finite wait", 0x80000000u, 0x7FFFFFFDu, 0xFFFFFFFEu, true},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(Marlin::PipeCommandClient::StillWaiting(row.start, row.now, row.limit), row.waiting);
        CHECK_EQ(CPipeCommandClient::StillWaiting(row.start, row.now, row.limit), row.waiting);
    }
}
