#include "ServiceCommandClient.h"

#include "ProtocolVersion.h"

namespace Marlin::Sluice {

ServiceCommandClient::ServiceCommandClient(std::wstring pipeName)
    : Marlin::PipeCommandClient(std::move(pipeName), ServiceProtocol::ChunkSize) {}

ServiceCommandClient::~ServiceCommandClient() = default;

int ServiceCommandClient::Exchange(const std::vector<uint8_t>& request, std::vector<uint8_t>& reply) {
    if (!Write(request.data(), static_cast<uint32_t>(request.size()))) return 0;
    return Read(reply);
}

int ServiceCommandClient::QueryVersion(std::array<uint8_t, 16>& version) {
    std::vector<uint8_t> reply;
    if (!Exchange(Marlin::ProtocolVersion::Request(), reply)) return 0;
    return ServiceProtocol::ParseVersionReply(reply.data(), reply.size(), version);
}

int ServiceCommandClient::QueryDiskCacheSetting(uint16_t driveLetter, DiskCacheSettingData& data) {
    std::vector<uint8_t> reply;
    if (!Exchange(ServiceProtocol::ReadDriveRequest(driveLetter), reply)) return 0;
    return ServiceProtocol::ParseReadDriveReply(reply.data(), reply.size(), data);
}

int ServiceCommandClient::QueryDrive(wchar_t driveLetter, DiskCacheSettingData& diskCache, DWORD connectMs) {
    if (driveLetter == 0) return 0;
    int result = 0;
    if (OpenWait(connectMs)) {
        std::array<uint8_t, 16> version{};
        if (QueryVersion(version) && version == Marlin::ProtocolVersion().Bytes()) {
            result = QueryDiskCacheSetting(static_cast<uint16_t>(driveLetter), diskCache);
        }
    }
    Close();
    return result;
}

int ServiceCommandClient::QueryDestinationDrive(wchar_t driveLetter, DiskCacheSettingData& diskCache) {
    if (driveLetter == 0) return 0;
    ServiceCommandClient client;
    return client.QueryDrive(driveLetter, diskCache);
}

}  // namespace Marlin::Sluice
