// The service process: the dispatcher entry, service main and the control handler of the
// service "Quaykeep".
#pragma once

#include <windows.h>

#include "ServiceProtocol.h"
#include "ServiceStatusReporter.h"

namespace Marlin {

class QuaykeepService {
public:
    static constexpr const wchar_t* ServiceName = ServiceProtocol::ServiceName;

    // Connects the process to the service control manager and returns when the service
    // has stopped (at once, when the process was not started as a service).
    static int RunDispatcher();

private:
    static void WINAPI ServiceMain(DWORD argc, LPWSTR* argv);
    static DWORD WINAPI ControlHandler(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);
    // Reports stopped after a failed start, with the error that made it fail.
    static void FailStart(DWORD error, bool stopPending);
    static ServiceStatusReporter& Status();
};

}  // namespace Marlin
