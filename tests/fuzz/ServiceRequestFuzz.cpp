// The disk-cache service's reading of a request: bytes from any process that opens the
// service's pipe, which runs with the rights of a service.
//
// Properties: only the two exact forms are accepted (command 1 alone, command 2 with a
// letter and nothing after it); anything else gets the status that names its fault; and
// the reply the service builds for an accepted drive request reads back whole on the
// client's side.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "DiskCacheSettingData.h"
#include "FuzzCheck.h"
#include "ProtocolVersion.h"
#include "ServiceProtocol.h"

using Marlin::DiskCacheSettingData;
using Marlin::ServiceProtocol;

namespace {

bool Equal(const uint8_t* data, size_t size, const std::vector<uint8_t>& expected) {
    return size == expected.size() && (size == 0 || std::memcmp(data, expected.data(), size) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ServiceProtocol::Request request;
    const int32_t status = ServiceProtocol::ParseRequest(data, size, request);
    const bool hasCommand = size >= ServiceProtocol::CommandSize;
    int32_t command = 0;
    if (hasCommand) std::memcpy(&command, data, sizeof command);  // little-endian hosts only, as the peers
    const bool known = command == ServiceProtocol::VersionCommand || command == ServiceProtocol::ReadDriveCommand;

    switch (status) {
        case ServiceProtocol::StatusSuccess:
            FUZZ_CHECK(request.command == command);
            if (command == ServiceProtocol::VersionCommand) {
                FUZZ_CHECK(Equal(data, size, Marlin::ProtocolVersion::Request()));
            } else {
                FUZZ_CHECK(command == ServiceProtocol::ReadDriveCommand);
                FUZZ_CHECK(Equal(data, size, ServiceProtocol::ReadDriveRequest(request.driveLetter)));
                // The reply for it, with a record made of the request's own bytes repeated.
                DiskCacheSettingData record;
                auto* bytes = reinterpret_cast<uint8_t*>(&record.payload);
                for (size_t i = 0; i < sizeof record.payload; ++i) bytes[i] = data[i % size];
                const std::vector<uint8_t> reply = ServiceProtocol::ReadDriveReply(record);
                FUZZ_CHECK(reply.size() == ServiceProtocol::ReadDriveReplySize);
                DiskCacheSettingData back;
                FUZZ_CHECK(ServiceProtocol::ParseReadDriveReply(reply.data(), reply.size(), back) == 1);
                FUZZ_CHECK(std::memcmp(&back.payload, &record.payload, sizeof record.payload) == 0);
            }
            break;
        case ServiceProtocol::StatusMalformed:
            FUZZ_CHECK(!hasCommand || known);
            break;
        case ServiceProtocol::StatusUnknownCommand:
            FUZZ_CHECK(hasCommand && !known);
            break;
        default:
            FUZZ_CHECK(!"a status the protocol does not have");
    }
    return 0;
}
