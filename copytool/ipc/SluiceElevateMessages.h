// The elevation pipe's message set as the elevated instance (the client) sees it: its
// requests, and its readers of the normal instance's replies. Every request starts with a
// 32-bit command and every reply with a 32-bit status; a reader accepts a reply only with
// status 0 and exactly the bytes that reply has. Platform-free, so the readers are tested
// and fuzzed natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SluiceCoreDisplayStatus.h"
#include "SluiceOption.h"

namespace Marlin {

class SluiceStatusRecord;

class SluiceElevateMessages {
public:
    enum Command : int32_t {
        kVersion = 1,
        kOption = 2,
        kStatus = 3,
        kEvent = 5,
        kQuestion = 6,
        kCancelQuery = 10,
    };
    enum ReplyStatus : int32_t {
        kOk = 0,
        kMalformed = 1,       // shorter than a command, or an event that is not exact
        kUnknownCommand = 2,
    };

    // A request that is its command alone.
    static std::vector<uint8_t> Request(int32_t command);
    // An event (kEvent) or question (kQuestion): the command, the event number and the
    // display status with its exception.
    static std::vector<uint8_t> EventRequest(int32_t command, int32_t code, const Sluice::SluiceCoreDisplayStatus& status);

    // Each changes its output only when it accepts the reply.
    static bool ReadOptionReply(const uint8_t* reply, size_t size, Sluice::SluiceOption& option);
    static bool ReadStatusReply(const uint8_t* reply, size_t size, SluiceStatusRecord& status);
    static bool ReadEventReply(const uint8_t* reply, size_t size);
    static bool ReadQuestionReply(const uint8_t* reply, size_t size, int32_t& answer, int32_t& applyToAll);
    static bool ReadCancelReply(const uint8_t* reply, size_t size, int32_t& cancelled);
};

}  // namespace Marlin
