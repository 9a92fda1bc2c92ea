#include "HandOffAnswer.h"

#include "CDataParser.h"
#include "HandOffReply.h"
#include "ProtocolVersion.h"

namespace Marlin {

std::vector<uint8_t> HandOffAnswer::For(const uint8_t* request, size_t size, const Job& job) {
    CDataParser in(request, request ? size : 0, LengthWidth::Four);
    int32_t command = 0;
    if (!in.Get(command)) return HandOffReply::StatusReply(HandOffReply::kShortRequest);
    if (!in.AtEnd()) return HandOffReply::StatusReply(HandOffReply::kBadRequest);
    switch (command) {
    case HandOffReply::kVersion:
        return ProtocolVersion().Reply();
    case HandOffReply::kSources:
        return HandOffReply::SourcesReply(job.sources);
    case HandOffReply::kDestination:
        return HandOffReply::DestinationReply(job.target);
    case HandOffReply::kOperation:
        return HandOffReply::OperationReply(job.operation);
    default:
        return HandOffReply::StatusReply(HandOffReply::kBadRequest);
    }
}

}  // namespace Marlin
