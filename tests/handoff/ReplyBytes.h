// The shell extension's replies on the hand-off pipe, built the way its server sends them
// (status, then the payload with 4-byte lengths and counts), for the test server and the
// reader tests. Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace handofftest {

struct ReplyBytes {
    // A bare status: the failure replies of the server (1 short request, 2 unknown command).
    static std::vector<uint8_t> Status(int32_t status);
    // Command 1: status 0 and the four version words.
    static std::vector<uint8_t> Version(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);
    // Command 2: status 0, the count, and each path's byte length and UTF-16LE units.
    static std::vector<uint8_t> Sources(const std::vector<std::wstring>& sources);
    // Command 3: status 0, the byte length and the UTF-16LE units.
    static std::vector<uint8_t> Destination(const std::wstring& destination);
    // Command 4: status 0 and the operation.
    static std::vector<uint8_t> Operation(int32_t operation);
};

}  // namespace handofftest
