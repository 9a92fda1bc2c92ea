// The one message the notice library sends to the logging service for a job, command 10:
// the start time's low 32 bits, the sources, the destination and the operation, with
// 4-byte lengths and counts. The service never answers it.
//
// Bytes() is what the library writes; Read() takes such a message apart again, for a
// peer that receives it. Read accepts only a whole message: command 10, every length
// covered by the bytes, and nothing after the operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Marlin {

class NoticeRecord;

class NoticeMessage {
public:
    static constexpr int32_t Command = 10;

    NoticeMessage() = default;
    explicit NoticeMessage(const NoticeRecord& record);

    std::vector<uint8_t> Bytes() const;
    // Fills message and returns true only for a whole, well-formed message.
    static bool Read(const uint8_t* bytes, size_t size, NoticeMessage& message);

    uint32_t startTime = 0;  // the low 32 bits of the job's start, in seconds since 1970
    std::vector<std::wstring> sources;
    std::wstring destination;
    int32_t operation = 0;
};

}  // namespace Marlin
