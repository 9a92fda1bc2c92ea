#include "QuaykeepService.h"

#include <string>

#include "ServiceThreadController.h"

namespace Marlin {

ServiceStatusReporter& QuaykeepService::Status() {
    static ServiceStatusReporter status;
    return status;
}

int QuaykeepService::RunDispatcher() {
    std::wstring name = ServiceName;
    SERVICE_TABLE_ENTRYW table[] = {
        {name.data(), &QuaykeepService::ServiceMain},
        {nullptr, nullptr},
    };
    StartServiceCtrlDispatcherW(table);
    return 0;
}

void WINAPI QuaykeepService::ServiceMain(DWORD, LPWSTR*) {
    SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerExW(ServiceName, &QuaykeepService::ControlHandler, nullptr);
    if (handle == nullptr) return;
    auto& status = Status();
    status.SetHandle(handle);

    if (!status.Report(SERVICE_START_PENDING)) {
        FailStart(GetLastError(), false);
        return;
    }
    auto& controller = ServiceThreadController::Instance();
    controller.Initialize();
    if (!controller.Start()) {
        // The thread start leaves its reason in the last error; a start that failed
        // without one still must not look like a clean stop.
        DWORD error = GetLastError();
        FailStart(error != NO_ERROR ? error : ERROR_SERVICE_NO_THREAD, true);
        return;
    }
    if (!status.Report(SERVICE_RUNNING)) FailStart(GetLastError(), true);
    // Running: the server thread does the work; this thread is done.
}

void QuaykeepService::FailStart(DWORD error, bool stopPending) {
    auto& status = Status();
    if (stopPending) status.Report(SERVICE_STOP_PENDING);
    ServiceThreadController::Shutdown();
    status.Report(SERVICE_STOPPED, error);
}

DWORD WINAPI QuaykeepService::ControlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
    auto& status = Status();
    if (control == SERVICE_CONTROL_STOP) {
        status.Report(SERVICE_STOP_PENDING);
        ServiceThreadController::Shutdown();
        status.Report(SERVICE_STOPPED, NO_ERROR);
    } else {
        status.ReportCurrent();
    }
    return NO_ERROR;
}

}  // namespace Marlin
