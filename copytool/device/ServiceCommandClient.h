// The copy tool's client of the disk-cache service: one short conversation per job that
// asks for the destination drive's cache and hot-plug properties. Nothing here reports
// to the user; a service that is absent, busy, of another version or short of words
// leaves the record as far as it got (usually all zero).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "DiskCacheSettingData.h"
#include "PipeCommandClient.h"
#include "ServiceProtocol.h"

namespace Marlin::Sluice {

class ServiceCommandClient : public Marlin::PipeCommandClient {
public:
    // How long the copy tool waits for the service's pipe before it counts as absent.
    static constexpr DWORD ConnectTimeoutMs = 1000;

    // What the service control manager says about a service before anyone waits for its pipe.
    enum class ServiceState {
        NotServing,  // not installed, or stopped: its pipe will not appear
        MayServe,    // running, starting or between states: its pipe is worth the wait
        Unknown,     // the manager could not be asked; the wait decides, as without it
    };
    // A read-only query that needs no rights beyond connecting to the manager.
    static ServiceState QueryServiceState(const wchar_t* serviceName);

    // The service's pipe, behind the service Quaykeep.
    ServiceCommandClient();
    // Another pipe, for tests. An empty serviceName means no service stands behind the
    // pipe, and only the connect window decides whether it is there.
    explicit ServiceCommandClient(std::wstring pipeName, std::wstring serviceName = {});
    ~ServiceCommandClient() override;

    // Command 1 on the open pipe. 1 when the reply was status 0 and exactly 16 bytes,
    // which are copied to version.
    int QueryVersion(std::array<uint8_t, 16>& version);
    // Command 2 for driveLetter on the open pipe; see ServiceProtocol::ParseReadDriveReply.
    int QueryDiskCacheSetting(uint16_t driveLetter, DiskCacheSettingData& data);

    // The whole conversation for a job's destination: connect within connectMs, check the
    // version, ask for the drive, close. Letter 0 (a path without a drive letter) asks
    // nothing. When the first attempt finds no pipe, a service that the manager reports as
    // not installed or stopped is not waited for: nobody would create the pipe, and the
    // wait cost every job a second. 1 when a complete record arrived; callers need not
    // look, diskCache keeps whatever was stored either way.
    int QueryDrive(wchar_t driveLetter, DiskCacheSettingData& diskCache, DWORD connectMs = ConnectTimeoutMs);

    // QueryDrive on a fresh client of the service's pipe.
    static int QueryDestinationDrive(wchar_t driveLetter, DiskCacheSettingData& diskCache);

private:
    std::wstring serviceName_;

    int Exchange(const std::vector<uint8_t>& request, std::vector<uint8_t>& reply);
};

}  // namespace Marlin::Sluice
