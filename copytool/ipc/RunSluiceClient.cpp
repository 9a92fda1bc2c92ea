#include "RunSluiceClient.h"

#include "HandOffReply.h"
#include "ProtocolVersion.h"

namespace Marlin {

RunSluiceClient::RunSluiceClient(std::wstring pipeName) : PipeCommandClient(std::move(pipeName), 1024) {}

RunSluiceClient::~RunSluiceClient() = default;

bool RunSluiceClient::ReceiveJob(Job& job) {
    Job received;
    const bool ok = Open() == 1 && QueryVersion() && RequestSources(received.sources) &&
                    RequestDestination(received.destination) && RequestOperation(received.operation);
    // The shell extension waits for this close; the job runs only after it.
    Close();
    if (ok) job = std::move(received);
    return ok;
}

bool RunSluiceClient::Ask(int32_t command, std::vector<uint8_t>& reply) {
    const std::vector<uint8_t> request = HandOffReply::Request(command);
    if (!Write(request.data(), static_cast<uint32_t>(request.size()))) return false;
    return Read(reply) == 1;
}

bool RunSluiceClient::QueryVersion() {
    std::vector<uint8_t> reply;
    return Ask(HandOffReply::kVersion, reply) && ProtocolVersion().AcceptsReply(reply);
}

bool RunSluiceClient::RequestSources(std::vector<std::wstring>& sources) {
    std::vector<uint8_t> reply;
    return Ask(HandOffReply::kSources, reply) && HandOffReply::ReadSources(reply.data(), reply.size(), sources);
}

bool RunSluiceClient::RequestDestination(std::wstring& destination) {
    std::vector<uint8_t> reply;
    return Ask(HandOffReply::kDestination, reply) &&
           HandOffReply::ReadDestination(reply.data(), reply.size(), destination);
}

bool RunSluiceClient::RequestOperation(int32_t& operation) {
    std::vector<uint8_t> reply;
    return Ask(HandOffReply::kOperation, reply) &&
           HandOffReply::ReadOperation(reply.data(), reply.size(), operation);
}

}  // namespace Marlin
