// A stand-in for the service that answers each request with the next reply of its
// script (bytes exactly as given), and records the requests and connections it saw.
// For testing the client's reading of replies that the real service never sends.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "PipeCommandServer.h"

namespace svctest {

class ScriptedReplyServer : public Marlin::PipeCommandServer {
public:
    ScriptedReplyServer(std::wstring pipeName, std::vector<std::vector<uint8_t>> replies);

    int Connect() override;
    void OnCommand(const std::vector<uint8_t>& message) override;

    std::vector<std::vector<uint8_t>> Requests() const;
    int Connections() const { return connections_.load(); }

private:
    mutable std::mutex lock_;
    std::deque<std::vector<uint8_t>> replies_;
    std::vector<std::vector<uint8_t>> requests_;
    std::atomic<int> connections_{0};
};

}  // namespace svctest
