// Runs a pipe server's Run loop on a thread of its own for the length of a test, and
// stops it (flag, then event) and joins it when it goes.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>
#include <initializer_list>
#include <cstdint>

#include "KernelHandle.h"
#include "PipeCommandServer.h"

namespace svctest {

class ServerThread {
public:
    explicit ServerThread(Quay::PipeCommandServer& server);
    ~ServerThread();
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    bool WaitDone(DWORD milliseconds) const;
    int Result() const { return result_.load(); }

private:
    Quay::PipeCommandServer& server_;
    Quay::KernelHandle done_;
    std::atomic<int> result_{-2};
    std::thread thread_;
};

// "\\.\pipe\quaykeep-test-<tag>-<pid>-<n>": a pipe no other test run uses.
std::wstring UniquePipeName(const char* tag);

// The bytes of a little-endian 32-bit value, for spelling out expected messages.
std::vector<uint8_t> Le32(uint32_t value);
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts);
std::string Hex(const std::vector<uint8_t>& bytes);

}  // namespace svctest
