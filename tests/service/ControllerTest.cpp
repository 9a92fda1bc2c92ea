// The service's server thread under its controller, in one process and on a pipe of the
// test's own: a stop with a client connected and idle, a thread that ended by itself
// before the stop, and repeated starts and stops.
#include <windows.h>

#include "UniqueHandle.h"
#include "ProtocolVersion.h"
#include "ScriptedReplyServer.h"
#include "ServiceCommandClient.h"
#include "ServiceFixtures.h"
#include "ServiceThreadController.h"
#include "TestHarness.h"

using Marlin::ServiceThreadController;
using Marlin::Sluice::ServiceCommandClient;

namespace {

// A handle of our own on the controller's thread, valid after the controller forgets it.
Marlin::KernelHandle WatchThread(HANDLE thread) {
    HANDLE copy = nullptr;
    if (!thread ||
        !DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0)) {
        return Marlin::KernelHandle();
    }
    return Marlin::KernelHandle(copy);
}

// Leaves no controller behind when a test fails midway.
struct ShutdownAtEnd {
    ~ShutdownAtEnd() { ServiceThreadController::Shutdown(); }
};

}  // namespace

TEST_CASE("a stop while a client is connected and idle ends the server thread and breaks the client's pipe") {
    ShutdownAtEnd cleanup;
    std::wstring name = svctest::UniquePipeName("controller");
    auto& controller = ServiceThreadController::Instance();
    controller.SetPipeName(name);
    CHECK(controller.Initialize());
    REQUIRE(controller.Start());
    auto thread = WatchThread(controller.ThreadHandle());
    REQUIRE(thread.valid());
    // A second start keeps the one thread.
    CHECK(controller.Start());
    CHECK(controller.ThreadHandle() != nullptr);

    ServiceCommandClient client(name);
    REQUIRE_EQ(client.OpenWait(10000), 1);
    std::array<uint8_t, 16> version{};
    REQUIRE_EQ(client.QueryVersion(version), 1);
    CHECK(version == Marlin::ProtocolVersion().Bytes());
    // The client now sits idle; the server waits in its read.

    ULONGLONG t0 = GetTickCount64();
    ServiceThreadController::Shutdown();
    ULONGLONG elapsed = GetTickCount64() - t0;
    // Well inside the 10 s after which the thread would be terminated.
    CHECK(elapsed < 5000);
    CHECK_EQ(WaitForSingleObject(thread.get(), 0), DWORD{WAIT_OBJECT_0});
    DWORD code = 12345;
    CHECK(GetExitCodeThread(thread.get(), &code));
    CHECK_EQ(code, DWORD{0});  // Run returned 0: it was stopped, not terminated

    std::vector<uint8_t> reply;
    auto request = Marlin::ProtocolVersion::Request();
    bool sent = client.Write(request.data(), static_cast<uint32_t>(request.size())) != 0;
    CHECK(!(sent && client.Read(reply)));
    // The pipe is gone: nobody can connect any more.
    ServiceCommandClient late(name);
    CHECK_EQ(late.Open(), 0);
}

TEST_CASE("a server thread that ended by itself is only forgotten by the stop") {
    ShutdownAtEnd cleanup;
    std::wstring name = svctest::UniquePipeName("taken");
    // The pipe has one instance, held here, so the service's server cannot create its own
    // and its thread ends at once.
    svctest::ScriptedReplyServer holder(name, {});
    REQUIRE_EQ(holder.Create(), 1);

    auto& controller = ServiceThreadController::Instance();
    controller.SetPipeName(name);
    REQUIRE(controller.Start());
    auto thread = WatchThread(controller.ThreadHandle());
    REQUIRE(thread.valid());
    REQUIRE_EQ(WaitForSingleObject(thread.get(), 10000), DWORD{WAIT_OBJECT_0});
    DWORD code = 0;
    CHECK(GetExitCodeThread(thread.get(), &code));
    CHECK_EQ(code, static_cast<DWORD>(-1));  // Run could not create the pipe
    CHECK(controller.HasThread());

    ULONGLONG t0 = GetTickCount64();
    controller.Stop();
    CHECK(GetTickCount64() - t0 < 1000);
    CHECK(!controller.HasThread());
    CHECK(holder.IsOpen());

    // Once the pipe is free again, a new start serves.
    holder.Close();
    REQUIRE(controller.Start());
    ServiceCommandClient client(name);
    REQUIRE_EQ(client.OpenWait(10000), 1);
    std::array<uint8_t, 16> version{};
    CHECK_EQ(client.QueryVersion(version), 1);
}

TEST_CASE("stop without a thread, shutdown twice, and a fresh controller after shutdown are harmless") {
    ShutdownAtEnd cleanup;
    ServiceThreadController::Instance().Stop();
    ServiceThreadController::Shutdown();
    ServiceThreadController::Shutdown();
    auto& controller = ServiceThreadController::Instance();
    CHECK(!controller.HasThread());
    std::wstring name = svctest::UniquePipeName("again");
    for (int round = 0; round < 3; ++round) {
        CONTEXT("round " + std::to_string(round));
        auto& c = ServiceThreadController::Instance();
        c.SetPipeName(name);
        REQUIRE(c.Start());
        ServiceCommandClient client(name);
        REQUIRE_EQ(client.OpenWait(10000), 1);
        std::array<uint8_t, 16> version{};
        CHECK_EQ(client.QueryVersion(version), 1);
        ServiceThreadController::Shutdown();
        std::vector<uint8_t> reply;
        CHECK_EQ(client.Read(reply), 0);  // the stop closed the server's end
    }
}
