// The peer process of a pipe test: this test executable started again as one of its
// children. A case that fails early leaves no peer behind waiting on a pipe.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace pipetest {

class PeerProcess {
public:
    PeerProcess(const std::string& child, const std::vector<std::string>& args);
    // Ends the process by force if it still runs.
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // The exit code, or -1 when it did not end in time (it is ended then).
    long Wait(DWORD milliseconds = 30000);

    // For the child side: ends the process after this long whatever it waits for, in
    // case its parent is gone without ending it.
    static void LimitLifetime(DWORD milliseconds = 90000);

private:
    Marlin::KernelHandle process_;
};

}  // namespace pipetest
