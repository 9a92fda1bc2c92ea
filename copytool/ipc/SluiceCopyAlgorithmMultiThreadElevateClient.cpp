#include "SluiceCopyAlgorithmMultiThreadElevateClient.h"

#include <windows.h>

#include "ProtocolVersion.h"
#include "SluiceCopyAlgorithmMultiThreadElevate.h"
#include "SluiceElevateMessages.h"
#include "SluiceStatus.h"
#include "SluiceStatusRecord.h"

namespace Marlin::Sluice {

using Marlin::SluiceElevateMessages;

SluiceCopyAlgorithmMultiThreadElevateClient::SluiceCopyAlgorithmMultiThreadElevateClient(std::wstring pipeName)
    : PipeCommandClient(std::move(pipeName), 1024) {}

SluiceCopyAlgorithmMultiThreadElevateClient::~SluiceCopyAlgorithmMultiThreadElevateClient() = default;

bool SluiceCopyAlgorithmMultiThreadElevateClient::ServerIsNamedProcess() const {
    DWORD named = 0;
    if (!IsOpen() || !SluiceCopyAlgorithmMultiThreadElevate::ProcessIdOf(PipeName(), named)) return false;
    ULONG server = 0;
    return ::GetNamedPipeServerProcessId(Handle(), &server) && server == named;
}

bool SluiceCopyAlgorithmMultiThreadElevateClient::Exchange(const std::vector<uint8_t>& request,
                                                          std::vector<uint8_t>& reply) {
    return Write(request.data(), static_cast<uint32_t>(request.size())) && Read(reply) == 1;
}

bool SluiceCopyAlgorithmMultiThreadElevateClient::QueryVersion() {
    std::vector<uint8_t> reply;
    return Exchange(Marlin::ProtocolVersion::Request(), reply) && Marlin::ProtocolVersion().AcceptsReply(reply);
}

bool SluiceCopyAlgorithmMultiThreadElevateClient::RequestOption(SluiceOption& option) {
    std::vector<uint8_t> reply;
    return Exchange(SluiceElevateMessages::Request(SluiceElevateMessages::kOption), reply) &&
           SluiceElevateMessages::ReadOptionReply(reply.data(), reply.size(), option);
}

bool SluiceCopyAlgorithmMultiThreadElevateClient::RequestStatus(SluiceStatus& status) {
    std::vector<uint8_t> reply;
    Marlin::SluiceStatusRecord received;
    if (!Exchange(SluiceElevateMessages::Request(SluiceElevateMessages::kStatus), reply) ||
        !SluiceElevateMessages::ReadStatusReply(reply.data(), reply.size(), received))
        return false;
    received.MoveInto(status);
    return true;
}

bool SluiceCopyAlgorithmMultiThreadElevateClient::SendEvent(int32_t code, const SluiceCoreDisplayStatus& status) {
    std::vector<uint8_t> reply;
    return Exchange(SluiceElevateMessages::EventRequest(SluiceElevateMessages::kEvent, code, status), reply) &&
           SluiceElevateMessages::ReadEventReply(reply.data(), reply.size());
}

bool SluiceCopyAlgorithmMultiThreadElevateClient::SendQuestion(int32_t code, const SluiceCoreDisplayStatus& status,
                                                               int32_t& answer, int32_t& applyToAll) {
    std::vector<uint8_t> reply;
    return Exchange(SluiceElevateMessages::EventRequest(SluiceElevateMessages::kQuestion, code, status), reply) &&
           SluiceElevateMessages::ReadQuestionReply(reply.data(), reply.size(), answer, applyToAll);
}

bool SluiceCopyAlgorithmMultiThreadElevateClient::QueryCancel(int32_t& cancelled) {
    std::vector<uint8_t> reply;
    return Exchange(SluiceElevateMessages::Request(SluiceElevateMessages::kCancelQuery), reply) &&
           SluiceElevateMessages::ReadCancelReply(reply.data(), reply.size(), cancelled);
}

}  // namespace Marlin::Sluice
