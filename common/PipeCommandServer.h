// The server end of the pipe channel: one pipe instance, one client at a time, each
// request handed to OnCommand, which answers it with Write.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "PipeCommandBase.h"

namespace Marlin {

class PipeCommandServer : public PipeCommandBase {
public:
    ~PipeCommandServer() override;

    // Also ends the wait when the stop event fires; the pipe is closed then and the
    // pending operation fails.
    int WaitIo(HANDLE event) override;
    // Serves client after client until a stop: 0 after a stop request, -1 when a pipe
    // instance cannot be created.
    virtual int Run();
    // Creates the one pipe instance with the channel's DACL; 1 when it exists afterwards.
    virtual int Create();
    // Waits for a client; 1 when one is connected.
    virtual int Connect();
    // Handles one request; the reply, if any, is sent with Write.
    virtual void OnCommand(const std::vector<uint8_t>& message) = 0;

    // The stop request, safe from any thread: the flag first, then the event, so that a
    // Run woken by the event sees the flag.
    void RequestStop();
    HANDLE StopEvent() const { return stopEvent_.get(); }

protected:
    explicit PipeCommandServer(std::wstring pipeName = std::wstring(), int32_t chunkSize = 1024);

    // From the next Create on, the pipe must be the first instance of its name: a name
    // that another process already holds makes Create fail instead of joining it.
    void SetFirstInstanceOnly(bool firstOnly) { firstInstanceOnly_ = firstOnly; }

private:
    KernelHandle stopEvent_;
    std::atomic<int32_t> stopFlag_{0};
    bool firstInstanceOnly_ = false;
};

}  // namespace Marlin
