// The normal instance's answers on the elevation pipe, apart from the pipe: one request
// in, one reply out. What the answers are made of (the option, the status, the relay to
// the progress dialog, the cancel) comes from the server through the hooks, so the
// dispatch itself is platform-free and fuzzed natively.
//
// A request shorter than a command gets status 1, an unknown command status 2. An event
// or question whose display status is cut short, malformed or followed by stray bytes
// gets status 1 and is not relayed. The other commands ignore bytes after the command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "CDataConverter.h"
#include "SluiceCoreDisplayStatus.h"

namespace Marlin {

class SluiceElevateCommandHandler {
public:
    virtual ~SluiceElevateCommandHandler() = default;

    // The reply to one request.
    std::vector<uint8_t> Answer(const uint8_t* request, size_t size);

protected:
    virtual void PutOption(CDataConverter& out) = 0;
    virtual void PutStatus(CDataConverter& out) = 0;
    // Shows a received event (a question waits for the user) and gives the answer back.
    // received owns its exception and is destroyed after the reply.
    virtual void Relay(int32_t code, Sluice::SluiceCoreDisplayStatus& received, int32_t& answer,
                       int32_t& applyToAll) = 0;
    // 1 once the user has cancelled in this instance, else 0.
    virtual int32_t CancelSeen() = 0;
};

}  // namespace Marlin
