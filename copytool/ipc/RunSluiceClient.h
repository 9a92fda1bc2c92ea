// The copy tool's side of the hand-off from the shell extension (run mode 1): the shell
// extension has created the pipe and started the tool with its name; this client asks
// for the protocol version, the sources, the destination and the operation, in that
// order, and closes the pipe before anything is copied, so the shell extension's thread
// is free again while the job runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PipeCommandClient.h"

namespace Marlin {

class RunSluiceClient : public PipeCommandClient {
public:
    // The job as the shell extension hands it over.
    struct Job {
        std::vector<std::wstring> sources;
        std::wstring destination;
        int32_t operation = 0;  // 0 copy, 1 move: the job's move flag
    };

    explicit RunSluiceClient(std::wstring pipeName);
    ~RunSluiceClient() override;

    // The whole conversation: one Open without waiting (the pipe exists before the tool
    // starts), the four requests, and Close whatever happened. True only when every
    // request succeeded; job is complete then.
    bool ReceiveJob(Job& job);

    // Each request is one write and one reply read; the first that fails ends the
    // conversation.
    bool QueryVersion();
    bool RequestSources(std::vector<std::wstring>& sources);
    bool RequestDestination(std::wstring& destination);
    bool RequestOperation(int32_t& operation);

private:
    // Sends command alone and reads its reply; false when either fails.
    bool Ask(int32_t command, std::vector<uint8_t>& reply);
};

}  // namespace Marlin
