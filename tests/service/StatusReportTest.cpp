// The status records the service sends to the service control manager through its
// lifecycle: check-points that move on with every pending report, the wait hint, the
// controls accepted and the exit code.
#include <windows.h>

#include <vector>

#include "ServiceStatusReporter.h"
#include "TestHarness.h"

using Marlin::ServiceStatusReporter;

namespace {

std::vector<SERVICE_STATUS> g_sent;
BOOL g_sinkResult = TRUE;

BOOL WINAPI RecordingSink(SERVICE_STATUS_HANDLE, LPSERVICE_STATUS status) {
    g_sent.push_back(*status);
    return g_sinkResult;
}

SERVICE_STATUS_HANDLE SomeHandle() { return reinterpret_cast<SERVICE_STATUS_HANDLE>(static_cast<uintptr_t>(0x1234)); }

}  // namespace

TEST_CASE("a lifecycle with repeated reports: pending states make progress, settled states carry check-point 0") {
    g_sent.clear();
    g_sinkResult = TRUE;
    ServiceStatusReporter status(&RecordingSink);
    status.SetHandle(SomeHandle());

    struct Step {
        const char* what;
        DWORD state;  // 0: report the current state again
        DWORD exitCode;
        DWORD wantState, wantControls, wantCheckPoint, wantWaitHint, wantExit;
    } steps[] = {
        {"start pending", SERVICE_START_PENDING, 0, SERVICE_START_PENDING, 0, 1, 15000, 0},
        {"a control while starting", 0, 0, SERVICE_START_PENDING, 0, 2, 15000, 0},
        {"running", SERVICE_RUNNING, 0, SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0, 0, 0},
        {"a control while running", 0, 0, SERVICE_RUNNING, SERVICE_ACCEPT_STOP, 0, 0, 0},
        {"stop pending", SERVICE_STOP_PENDING, 0, SERVICE_STOP_PENDING, SERVICE_ACCEPT_STOP, 3, 0, 0},
        {"a control while stopping", 0, 0, SERVICE_STOP_PENDING, SERVICE_ACCEPT_STOP, 4, 0, 0},
        {"stopped", SERVICE_STOPPED, 0, SERVICE_STOPPED, SERVICE_ACCEPT_STOP, 0, 0, 0},
        {"a control once stopped", 0, 0, SERVICE_STOPPED, SERVICE_ACCEPT_STOP, 0, 0, 0},
    };
    for (const auto& step : steps) {
        CONTEXT(step.what);
        size_t before = g_sent.size();
        CHECK(step.state == 0 ? status.ReportCurrent() : status.Report(step.state, step.exitCode));
        REQUIRE_EQ(g_sent.size(), before + 1);
        const SERVICE_STATUS& s = g_sent.back();
        CHECK_EQ(s.dwServiceType, DWORD{0x130});
        CHECK_EQ(s.dwCurrentState, step.wantState);
        CHECK_EQ(s.dwControlsAccepted, step.wantControls);
        CHECK_EQ(s.dwCheckPoint, step.wantCheckPoint);
        CHECK_EQ(s.dwWaitHint, step.wantWaitHint);
        CHECK_EQ(s.dwWin32ExitCode, step.wantExit);
        CHECK_EQ(s.dwServiceSpecificExitCode, DWORD{0});
        CHECK_EQ(status.CurrentState(), step.wantState);
    }
}

TEST_CASE("a failed start: stop pending takes the next check-point and stopped carries the error") {
    g_sent.clear();
    g_sinkResult = TRUE;
    ServiceStatusReporter status(&RecordingSink);
    status.SetHandle(SomeHandle());
    status.Report(SERVICE_START_PENDING);
    status.Report(SERVICE_STOP_PENDING);
    status.Report(SERVICE_STOPPED, ERROR_SERVICE_NO_THREAD);
    REQUIRE_EQ(g_sent.size(), size_t{3});
    CHECK_EQ(g_sent[1].dwCheckPoint, DWORD{2});
    CHECK_EQ(g_sent[2].dwWin32ExitCode, DWORD{ERROR_SERVICE_NO_THREAD});
    CHECK_EQ(g_sent[2].dwCheckPoint, DWORD{0});
    // The error belongs to that stop; a later report of the same state keeps it.
    status.ReportCurrent();
    CHECK_EQ(g_sent.back().dwWin32ExitCode, DWORD{ERROR_SERVICE_NO_THREAD});
}

TEST_CASE("a report the manager refuses, or one made before there is a handle, is a failure") {
    g_sent.clear();
    g_sinkResult = FALSE;
    ServiceStatusReporter status(&RecordingSink);
    CHECK(!status.Report(SERVICE_START_PENDING));
    CHECK(g_sent.empty());  // nowhere to send it
    status.SetHandle(SomeHandle());
    CHECK(!status.Report(SERVICE_START_PENDING));
    CHECK_EQ(g_sent.size(), size_t{1});
    g_sinkResult = TRUE;
}
