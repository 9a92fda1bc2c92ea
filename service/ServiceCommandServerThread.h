// The service's worker thread: runs the pipe server until it is told to stop or can no
// longer create its pipe. The object outlives its thread; only its owner destroys it,
// so the thread handle and the server stay valid after the thread has ended on its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "CDiskDriveIo.h"
#include "UniqueHandle.h"
#include "ServiceCommandServer.h"

namespace Marlin {

class ServiceCommandServerThread {
public:
    // pipeName: the service's pipe unless a test gives another.
    explicit ServiceCommandServerThread(std::wstring pipeName = ServiceCommandServer::DefaultPipeName());
    ~ServiceCommandServerThread();

    ServiceCommandServerThread(const ServiceCommandServerThread&) = delete;
    ServiceCommandServerThread& operator=(const ServiceCommandServerThread&) = delete;

    // Creates the thread (normal priority, default stack) and lets it run; false when no
    // thread could be created. Called once.
    bool Start();
    bool Started() const { return thread_.valid(); }
    // True once the thread has ended (also when it was never started).
    bool HasEnded() const;
    // Waits for the end; false when the thread still runs after that long.
    bool WaitEnd(DWORD milliseconds) const;
    HANDLE ThreadHandle() const { return thread_.get(); }
    DWORD ThreadId() const { return threadId_; }

    ServiceCommandServer& Server() { return server_; }
    // What Run returned: 0 after a stop, -1 when no pipe could be created; -2 while running.
    int RunResult() const { return runResult_.load(); }

private:
    static unsigned __stdcall Entry(void* self);

    CDiskDriveIo drives_;
    ServiceCommandServer server_;
    Marlin::KernelHandle thread_;
    DWORD threadId_ = 0;
    std::atomic<int> runResult_{-2};
};

}  // namespace Marlin
