// Runs a server's Run loop on a thread of its own for the length of a test; stops it
// (flag, then event) and joins when it goes.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "UniqueHandle.h"
#include "PipeCommandServer.h"

namespace pipetest {

class RunningServer {
public:
    explicit RunningServer(Marlin::PipeCommandServer& server);
    ~RunningServer();
    RunningServer(const RunningServer&) = delete;
    RunningServer& operator=(const RunningServer&) = delete;

    // True once Run has returned, waiting at most that long for it.
    bool WaitDone(DWORD milliseconds) const;
    int Result() const { return result_.load(); }

private:
    Marlin::PipeCommandServer& server_;
    Marlin::KernelHandle done_;
    std::atomic<int> result_{-2};
    std::thread thread_;
};

}  // namespace pipetest
