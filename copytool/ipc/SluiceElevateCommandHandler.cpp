#include "SluiceElevateCommandHandler.h"

#include "CDataParser.h"
#include "ProtocolVersion.h"
#include "SluiceCoreDisplayStatusRecord.h"
#include "SluiceElevateMessages.h"

namespace Marlin {

namespace {

std::vector<uint8_t> StatusOnly(int32_t status) {
    CDataConverter out;
    out.Put(status);
    return out.Buffer();
}

}  // namespace

std::vector<uint8_t> SluiceElevateCommandHandler::Answer(const uint8_t* request, size_t size) {
    CDataParser in(request, size);
    int32_t command = 0;
    if (!in.Get(command)) return StatusOnly(SluiceElevateMessages::kMalformed);

    CDataConverter out;
    switch (command) {
    case SluiceElevateMessages::kVersion:
        return ProtocolVersion().Reply();
    case SluiceElevateMessages::kOption:
        out.Put(int32_t{SluiceElevateMessages::kOk});
        PutOption(out);
        return out.Buffer();
    case SluiceElevateMessages::kStatus:
        out.Put(int32_t{SluiceElevateMessages::kOk});
        PutStatus(out);
        return out.Buffer();
    case SluiceElevateMessages::kEvent:
    case SluiceElevateMessages::kQuestion: {
        int32_t code = 0;
        Sluice::SluiceCoreDisplayStatus received;
        if (!in.Get(code) || !SluiceCoreDisplayStatusRecord::Get(in, received) || !in.AtEnd())
            return StatusOnly(SluiceElevateMessages::kMalformed);
        int32_t answer = 0;
        int32_t applyToAll = 0;
        Relay(code, received, answer, applyToAll);
        out.Put(int32_t{SluiceElevateMessages::kOk});
        if (command == SluiceElevateMessages::kQuestion) {
            out.Put(answer);
            out.Put(applyToAll);
        }
        return out.Buffer();
    }
    case SluiceElevateMessages::kCancelQuery:
        out.Put(int32_t{SluiceElevateMessages::kOk});
        out.Put(CancelSeen());
        return out.Buffer();
    default:
        return StatusOnly(SluiceElevateMessages::kUnknownCommand);
    }
}

}  // namespace Marlin
