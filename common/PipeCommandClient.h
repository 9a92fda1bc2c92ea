// The client end of the pipe channel: opens an existing pipe, then writes requests and
// reads their replies.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "PipeCommandBase.h"

namespace Marlin {

class PipeCommandClient : public PipeCommandBase {
public:
    explicit PipeCommandClient(std::wstring pipeName, int32_t chunkSize = 1024);
    ~PipeCommandClient() override;

    // One attempt; 1 when the pipe is open afterwards.
    virtual int Open();
    // Retries Open every 10 ms for up to the given time; 1 when the pipe is open.
    virtual int OpenWait(DWORD milliseconds);

    // Whether a wait begun at tick start still runs at tick now, across the tick wrap.
    static bool StillWaiting(DWORD start, DWORD now, DWORD milliseconds) {
        return OverlappedPipe::StillWaiting(start, now, milliseconds);
    }
};

}  // namespace Marlin
