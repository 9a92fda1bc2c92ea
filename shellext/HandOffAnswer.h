// The shell extension's answer to one request on the hand-off pipe. The request comes
// from whatever opened the pipe, so it is read with care: a command is exactly 4 bytes,
// and anything else gets a bare failure status (1 when shorter, 2 for an unknown command
// or one followed by more bytes); the conversation goes on after either. Platform-free,
// so it is also tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Marlin {

class HandOffAnswer {
public:
    // The job as the drop handler holds it: the dropped paths in drop order, the folder
    // dropped on, and 0 for copy or 1 for move.
    struct Job {
        const std::vector<std::wstring>& sources;
        const std::wstring& target;
        int32_t operation;
    };

    // The whole reply to the request of size bytes.
    static std::vector<uint8_t> For(const uint8_t* request, size_t size, const Job& job);
};

}  // namespace Marlin
