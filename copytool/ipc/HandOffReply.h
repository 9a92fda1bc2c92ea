// The hand-off pipe's message set, both sides of it: the copy tool reads the replies here,
// the shell extension writes them here. The shell extension is built for 32-bit Explorers
// too, so lengths and counts on this pipe are 4 bytes whatever the build. Every reply
// starts with a 32-bit status; only 0 carries a payload. The requests are the bare 4-byte
// command.
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
    // The statuses of the shell extension's server.
    enum Status : int32_t {
        kSuccess = 0,
        kShortRequest = 1,  // fewer than the 4 bytes of a command
        kBadRequest = 2,    // a command other than 1 to 4, or one followed by more bytes
    };

    // The pipe of one Explorer thread, "\\.\pipe\{B7EA0F4A-...}-<process id>-<thread id>":
    // two threads of one Explorer can hand off at the same time.
    static std::wstring PipeName(uint32_t processId, uint32_t threadId);
    // The copy tool's parameters for that pipe: "/FCP <pipe name>".
    static std::wstring Parameters(const std::wstring& pipeName);

    // The request for a command: the command alone, 4 bytes.
    static std::vector<uint8_t> Request(int32_t command);

    // The shell extension's replies: a bare status (the failures), and the payloads of
    // commands 2, 3 and 4 after status 0. Command 1 is ProtocolVersion::Reply().
    static std::vector<uint8_t> StatusReply(int32_t status);
    static std::vector<uint8_t> SourcesReply(const std::vector<std::wstring>& sources);
    static std::vector<uint8_t> DestinationReply(const std::wstring& destination);
    static std::vector<uint8_t> OperationReply(int32_t operation);

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
