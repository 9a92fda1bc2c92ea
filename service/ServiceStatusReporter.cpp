#include "ServiceStatusReporter.h"

namespace Marlin {

ServiceStatusReporter::ServiceStatusReporter(Sink sink) : sink_(sink) {
    status_.dwServiceType = ServiceType;
    status_.dwCurrentState = SERVICE_STOPPED;
}

void ServiceStatusReporter::SetHandle(SERVICE_STATUS_HANDLE handle) {
    std::lock_guard<std::mutex> guard(lock_);
    handle_ = handle;
}

bool ServiceStatusReporter::Report(DWORD state, DWORD exitCode) {
    std::lock_guard<std::mutex> guard(lock_);
    return SendLocked(state, exitCode);
}

bool ServiceStatusReporter::ReportCurrent() {
    std::lock_guard<std::mutex> guard(lock_);
    return SendLocked(status_.dwCurrentState, status_.dwWin32ExitCode);
}

DWORD ServiceStatusReporter::CurrentState() const {
    std::lock_guard<std::mutex> guard(lock_);
    return status_.dwCurrentState;
}

SERVICE_STATUS ServiceStatusReporter::Last() const {
    std::lock_guard<std::mutex> guard(lock_);
    return status_;
}

bool ServiceStatusReporter::SendLocked(DWORD state, DWORD exitCode) {
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    status_.dwServiceType = ServiceType;
    status_.dwCurrentState = state;
    // A stop must not be asked for before the server thread exists to be stopped.
    status_.dwControlsAccepted = state == SERVICE_START_PENDING ? 0 : SERVICE_ACCEPT_STOP;
    status_.dwWin32ExitCode = exitCode;
    status_.dwServiceSpecificExitCode = 0;
    status_.dwCheckPoint = pending ? nextCheckPoint_++ : 0;
    status_.dwWaitHint = state == SERVICE_START_PENDING ? StartWaitHint : 0;
    if (handle_ == nullptr || sink_ == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    SERVICE_STATUS copy = status_;
    return sink_(handle_, &copy) != FALSE;
}

}  // namespace Marlin
