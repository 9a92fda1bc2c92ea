#include "ServiceCommandServer.h"

#include <utility>

#include "DiskCacheSettingReader.h"
#include "ProtocolVersion.h"
#include "ServiceProtocol.h"

namespace Marlin {

std::wstring ServiceCommandServer::DefaultPipeName() { return ServiceProtocol::PipeName; }

ServiceCommandServer::ServiceCommandServer(IDiskDriveIo& drives, std::wstring pipeName)
    : Marlin::PipeCommandServer(std::move(pipeName), ServiceProtocol::ChunkSize), drives_(drives) {}

ServiceCommandServer::~ServiceCommandServer() = default;

void ServiceCommandServer::Reply(const std::vector<uint8_t>& reply) {
    // A failed write means the client has gone; the next read sees that and ends the
    // connection, so there is nothing to do here.
    Write(reply.data(), static_cast<uint32_t>(reply.size()));
}

void ServiceCommandServer::OnCommand(const std::vector<uint8_t>& message) {
    ServiceProtocol::Request request;
    const int32_t status = ServiceProtocol::ParseRequest(message.data(), message.size(), request);
    if (status != ServiceProtocol::StatusSuccess) {
        Reply(ServiceProtocol::StatusReply(status));
        return;
    }
    if (request.command == ServiceProtocol::VersionCommand) {
        Reply(Marlin::ProtocolVersion().Reply());
        return;
    }
    // Answered as a success whether or not the drive could be read: the valid flags tell
    // the client what is there.
    DiskCacheSettingReader reader(drives_);
    reader.ReadDrive(request.driveLetter);
    Reply(ServiceProtocol::ReadDriveReply(reader.Data()));
}

}  // namespace Marlin
