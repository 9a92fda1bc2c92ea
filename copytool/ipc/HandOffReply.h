// The replies of the hand-off pipe, as the copy tool reads them. The shell extension is a
// 32-bit program, so lengths and counts on this pipe are 4 bytes. Every reply starts with
// a 32-bit status; only 0 carries a payload. The requests are the bare 4-byte command.
//
// The readers take bytes from another process and accept a reply only when it is whole
// and exact: the status 0, every length covered by the bytes, and nothing left over.
// Platform-free, so they are also tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Marlin {

class HandOffReply {
public:
    enum Command : int32_t {
        kVersion = 1,
        kSources = 2,
        kDestination = 3,
        kOperation = 4,
    };
    enum Operation : int32_t {
        kCopy = 0,
        kMove = 1,
    };

    // The request for a command: the command alone, 4 bytes.
    static std::vector<uint8_t> Request(int32_t command);

    // Command 2: the count, then each path as its byte length and its UTF-16LE units.
    // Appends the paths to sources only when the whole reply is good.
    static bool ReadSources(const uint8_t* reply, size_t size, std::vector<std::wstring>& sources);
    // Command 3: the byte length and the UTF-16LE units of the destination folder.
    static bool ReadDestination(const uint8_t* reply, size_t size, std::wstring& destination);
    // Command 4: exactly the status and the operation. Only copy (0) and move (1) are
    // operations: any other value would otherwise turn into a move flag, so it fails the
    // reply and nothing runs.
    static bool ReadOperation(const uint8_t* reply, size_t size, int32_t& operation);
};

}  // namespace Marlin
