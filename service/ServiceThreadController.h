// Owns the service's server thread for the life of the service: started by service main,
// stopped by the stop control. A process-wide singleton, created on first use.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "ServiceCommandServerThread.h"

namespace Marlin {

class ServiceThreadController {
public:
    // How long a stop waits for the server thread before it is terminated.
    static constexpr DWORD StopTimeoutMs = 10000;

    static ServiceThreadController& Instance();
    // Stop, then destroy the singleton; the next Instance makes a fresh one.
    static void Shutdown();

    virtual ~ServiceThreadController();

    ServiceThreadController(const ServiceThreadController&) = delete;
    ServiceThreadController& operator=(const ServiceThreadController&) = delete;

    // Nothing to prepare; true.
    virtual bool Initialize();
    // Starts the server thread unless one exists; true when one exists afterwards.
    virtual bool Start();
    // Tells the server thread to stop and waits for it, at most StopTimeoutMs, then
    // forgets it. A thread that has already ended is only forgotten.
    virtual void Stop();

    // Whether a server thread is held (running or ended but not yet stopped).
    bool HasThread() const;
    // The held thread's handle, or null; for watching it, not for closing.
    HANDLE ThreadHandle() const;

    // The pipe that threads started from now on serve; the service's own pipe unless a
    // test changes it.
    void SetPipeName(std::wstring pipeName);

protected:
    ServiceThreadController();

private:
    mutable std::mutex lock_;
    std::unique_ptr<ServiceCommandServerThread> thread_;
    std::wstring pipeName_;
};

}  // namespace Marlin
