// The notice library's client against a logging service in another process: the
// presence mutex decides how long a wait without time-out lasts.
#include <windows.h>

#include <cstring>

#include "CPipeCommandClient.h"
#include "EchoServer.h"
#include "PeerProcess.h"
#include "PipePeers.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::CPipeCommandClient;

static std::vector<uint8_t> NoticeMessage() {
    std::string pattern = quaytest::PatternBytes(3000, 10);
    std::vector<uint8_t> out(pattern.begin(), pattern.end());
    const int32_t command = pipetest::EchoServer::NoticeCommand;
    std::memcpy(out.data(), &command, 4);
    return out;
}

static std::vector<uint8_t> ServiceAnswer() {
    std::string pattern = quaytest::PatternBytes(1500, 11);
    return std::vector<uint8_t>(pattern.begin(), pattern.end());
}

// args: pipe name, mutex name, event to signal once the mutex is held. A logging service
// that takes its mutex at once but opens its pipe only half a second later; it expects
// one notice and answers it with 1500 bytes so the client's Read is exercised too.
TEST_CHILD("logging-service") {
    pipetest::PeerProcess::LimitLifetime();
    Marlin::KernelHandle presence(CreateMutexA(nullptr, FALSE, args.at(1).c_str()));
    if (!presence) return 2;
    if (!pipetest::SignalNamedEvent(args.at(2))) return 3;
    Sleep(500);
    pipetest::EchoServer server(pipetest::FromAscii(args.at(0)));
    if (!server.Create()) return 4;
    if (!server.Connect()) return 5;
    std::vector<uint8_t> message;
    if (!server.Read(message)) return 6;
    if (message != NoticeMessage()) return 7;
    auto answer = ServiceAnswer();
    if (!server.Write(answer.data(), static_cast<uint32_t>(answer.size()))) return 8;
    if (server.Read(message)) return 9;  // nothing more; the client closes
    return 0;
}

// args: mutex name, event to signal once held, event to signal just before letting go.
TEST_CHILD("mutex-holder") {
    pipetest::PeerProcess::LimitLifetime();
    Marlin::KernelHandle presence(CreateMutexA(nullptr, FALSE, args.at(0).c_str()));
    if (!presence) return 2;
    if (!pipetest::SignalNamedEvent(args.at(1))) return 3;
    Sleep(400);
    if (!pipetest::SignalNamedEvent(args.at(2))) return 4;
    presence.reset();
    return 0;
}

TEST_CASE("without time-out the client waits while the mutex exists and sends once the pipe appears") {
    std::string pipe = pipetest::Ascii(pipetest::UniquePipeName("notice"));
    std::string mutex = pipetest::UniqueObjectName("p-m");
    std::string held = pipetest::UniqueObjectName("held");
    auto heldEvent = pipetest::CreateNamedEvent(held);
    pipetest::PeerProcess child("logging-service", {pipe, mutex, held});
    REQUIRE(WaitForSingleObject(heldEvent.get(), 30000) == WAIT_OBJECT_0);

    CPipeCommandClient client(pipe, mutex);
    REQUIRE_EQ(client.OpenWait(CPipeCommandClient::Infinite), 1);
    auto notice = NoticeMessage();
    CHECK(client.Write(notice.data(), static_cast<uint32_t>(notice.size())) != 0);
    std::vector<uint8_t> answer;
    CHECK_EQ(client.Read(answer), 1);  // a full chunk, then a short one ends it
    CHECK(answer == ServiceAnswer());
    client.Close();
    CHECK_EQ(child.Wait(30000), 0L);
}

TEST_CASE("without time-out the client gives up once the mutex is gone") {
    std::string mutex = pipetest::UniqueObjectName("p-m");
    std::string held = pipetest::UniqueObjectName("held");
    std::string releasing = pipetest::UniqueObjectName("releasing");
    auto heldEvent = pipetest::CreateNamedEvent(held);
    auto releasingEvent = pipetest::CreateNamedEvent(releasing);
    pipetest::PeerProcess child("mutex-holder", {mutex, held, releasing});
    REQUIRE(WaitForSingleObject(heldEvent.get(), 30000) == WAIT_OBJECT_0);

    CPipeCommandClient client(pipetest::Ascii(pipetest::UniquePipeName("nopipe")), mutex);
    ULONGLONG t0 = GetTickCount64();
    CHECK_EQ(client.OpenWait(CPipeCommandClient::Infinite), 0);
    ULONGLONG elapsed = GetTickCount64() - t0;
    // It did not give up while the holder still had the mutex.
    CHECK(WaitForSingleObject(releasingEvent.get(), 0) == WAIT_OBJECT_0);
    CHECK(elapsed < 10000);
    CHECK(!client.IsOpen());
    CHECK_EQ(child.Wait(30000), 0L);
}

TEST_CASE("with no mutex at all: no time-out gives up soon, a finite time-out still waits it out") {
    std::string mutex = pipetest::UniqueObjectName("p-m-absent");
    struct Row {
        const char* what;
        DWORD timeout;
        ULONGLONG atLeast, below;
    } rows[] = {
        {"no time-out", CPipeCommandClient::Infinite, 0, 5000},
        {"300 ms", 300, 290, 5000},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CPipeCommandClient client(pipetest::Ascii(pipetest::UniquePipeName("nopipe")), mutex);
        ULONGLONG t0 = GetTickCount64();
        CHECK_EQ(client.OpenWait(row.timeout), 0);
        ULONGLONG elapsed = GetTickCount64() - t0;
        CHECK(elapsed >= row.atLeast);
        CHECK(elapsed < row.below);
    }
}
