#include "NoticeMessage.h"

#include "CDataConverter.h"
#include "CDataParser.h"
#include "NoticeRecord.h"

namespace Marlin {

NoticeMessage::NoticeMessage(const NoticeRecord& record)
    : startTime(static_cast<uint32_t>(static_cast<uint64_t>(record.startTime))),
      sources(record.sources),
      destination(record.destination),
      operation(record.operation) {}

std::vector<uint8_t> NoticeMessage::Bytes() const {
    // The service's format is fixed outside this system: 4-byte lengths and counts.
    CDataConverter out(LengthWidth::Four);
    out.Put(Command);
    out.Put(startTime);
    out.Put(sources);
    out.Put(std::wstring_view(destination));
    out.Put(operation);
    return out.Buffer();
}

bool NoticeMessage::Read(const uint8_t* bytes, size_t size, NoticeMessage& message) {
    if (bytes == nullptr) return false;
    CDataParser in(bytes, size, LengthWidth::Four);
    int32_t command = 0;
    NoticeMessage read;
    if (!in.Get(command) || command != Command) return false;
    if (!in.Get(read.startTime) || !in.Get(read.sources) || !in.Get(read.destination) || !in.Get(read.operation))
        return false;
    if (!in.AtEnd()) return false;
    message = std::move(read);
    return true;
}

}  // namespace Marlin
