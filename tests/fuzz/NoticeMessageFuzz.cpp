// A reader of the notice message, as a logging service would take it. A message it accepts
// must come out again, byte for byte, from what it read (unless a string held a NUL, which
// the reader drops with the rest of the string).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "NoticeMessage.h"

using Marlin::NoticeMessage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NoticeMessage message;
    if (!NoticeMessage::Read(data, size, message)) return 0;
    const std::vector<uint8_t> again = message.Bytes();
    NoticeMessage reread;
    if (!NoticeMessage::Read(again.data(), again.size(), reread)) __builtin_trap();
    if (reread.startTime != message.startTime || reread.sources != message.sources ||
        reread.destination != message.destination || reread.operation != message.operation)
        __builtin_trap();
    if (again.size() > size) __builtin_trap();
    return 0;
}
