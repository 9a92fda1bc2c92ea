#include "ServiceCommandServer.h"

#include <utility>

#include "CDataParser.h"
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
    Marlin::CDataParser in(message.data(), message.size(), Marlin::LengthWidth::Eight);
    int32_t command = 0;
    if (!in.Get(command)) {
        Reply(ServiceProtocol::StatusReply(ServiceProtocol::StatusMalformed));
        return;
    }
    switch (command) {
        case ServiceProtocol::VersionCommand:
            if (!in.AtEnd()) {
                Reply(ServiceProtocol::StatusReply(ServiceProtocol::StatusMalformed));
                return;
            }
            Reply(Marlin::ProtocolVersion().Reply());
            return;
        case ServiceProtocol::ReadDriveCommand: {
            uint16_t letter = 0;
            if (in.Remaining() != ServiceProtocol::LetterSize || !in.Get(letter)) {
                Reply(ServiceProtocol::StatusReply(ServiceProtocol::StatusMalformed));
                return;
            }
            // Answered as a success whether or not the drive could be read: the valid
            // flags tell the client what is there.
            DiskCacheSettingReader reader(drives_);
            reader.ReadDrive(letter);
            Reply(ServiceProtocol::ReadDriveReply(reader.Data()));
            return;
        }
        default:
            Reply(ServiceProtocol::StatusReply(ServiceProtocol::StatusUnknownCommand));
            return;
    }
}

}  // namespace Marlin
