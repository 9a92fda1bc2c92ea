#include "ServiceCommandClient.h"

#include "ProtocolVersion.h"
#include "UniqueHandle.h"

namespace Marlin::Sluice {

ServiceCommandClient::ServiceCommandClient()
    : ServiceCommandClient(ServiceProtocol::PipeName, ServiceProtocol::ServiceName) {}

ServiceCommandClient::ServiceCommandClient(std::wstring pipeName, std::wstring serviceName)
    : Marlin::PipeCommandClient(std::move(pipeName), ServiceProtocol::ChunkSize),
      serviceName_(std::move(serviceName)) {}

ServiceCommandClient::ServiceState ServiceCommandClient::QueryServiceState(const wchar_t* serviceName) {
    Marlin::ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return ServiceState::Unknown;
    Marlin::ServiceHandle service(OpenServiceW(manager.get(), serviceName, SERVICE_QUERY_STATUS));
    if (!service) {
        // Only a definite "no such service" spares the wait; a refusal says nothing.
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? ServiceState::NotServing : ServiceState::Unknown;
    }
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service.get(), &status)) return ServiceState::Unknown;
    return status.dwCurrentState == SERVICE_STOPPED ? ServiceState::NotServing : ServiceState::MayServe;
}

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
    // A running service's pipe is usually there at the first attempt, and then nothing
    // else need be asked. Otherwise the manager tells whether anybody will create it.
    const bool open = Open() != 0 ||
                      ((serviceName_.empty() || QueryServiceState(serviceName_.c_str()) != ServiceState::NotServing) &&
                       OpenWait(connectMs) != 0);
    if (open) {
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
