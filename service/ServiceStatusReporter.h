// The service's one status record and its check-point counter, and the reports made
// from them. Service main and the control handler run on different threads, so every
// report is composed and sent under one lock.
#pragma once

#include <windows.h>

#include <mutex>

namespace Marlin {

class ServiceStatusReporter {
public:
    // Sends one record to the service control manager; SetServiceStatus in the service.
    using Sink = BOOL(WINAPI*)(SERVICE_STATUS_HANDLE, LPSERVICE_STATUS);

    static constexpr DWORD ServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_WIN32_SHARE_PROCESS |
                                         SERVICE_INTERACTIVE_PROCESS;  // 0x130
    static constexpr DWORD StartWaitHint = 15000;

    explicit ServiceStatusReporter(Sink sink = &::SetServiceStatus);

    ServiceStatusReporter(const ServiceStatusReporter&) = delete;
    ServiceStatusReporter& operator=(const ServiceStatusReporter&) = delete;

    // The handle from RegisterServiceCtrlHandlerExW; reports go nowhere until it is set.
    void SetHandle(SERVICE_STATUS_HANDLE handle);

    // Enters state and reports it. A pending state takes the next check-point, so the
    // manager sees progress with every pending report; running and stopped carry 0.
    bool Report(DWORD state, DWORD exitCode = NO_ERROR);
    // Reports the current state again (any control but stop); exit code kept.
    bool ReportCurrent();

    DWORD CurrentState() const;
    // The record as last composed.
    SERVICE_STATUS Last() const;

private:
    bool SendLocked(DWORD state, DWORD exitCode);

    Sink sink_;
    mutable std::mutex lock_;
    SERVICE_STATUS_HANDLE handle_ = nullptr;
    SERVICE_STATUS status_{};
    DWORD nextCheckPoint_ = 1;
};

}  // namespace Marlin
