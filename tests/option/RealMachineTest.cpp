// The option creator with all its real parts on this machine: Wine's volumes, its empty
// USB scan, the disk-cache service's real pipe and the system's own version. Wine reports
// version 6.1 and has no USB devices, so C: is a fixed disk; what decides its buffering is
// whether the service answers.
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "COSVersion.h"
#include "CreateSluiceOptionCmdLine.h"
#include "FakeDiskDriveIo.h"
#include "RunningServer.h"
#include "ServiceCommandServer.h"
#include "ServiceFixtures.h"
#include "ServiceProtocol.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::DiskCacheSettingData;
using Marlin::ServiceCommandServer;
using Marlin::ServiceProtocol;
using Marlin::Sluice::CreateSluiceOptionCmdLine;
using Marlin::Sluice::SluiceOption;
using Paths = std::vector<std::wstring>;

namespace {

bool AllZero(const DiskCacheSettingData& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&data.payload);
    for (size_t i = 0; i < sizeof data.payload; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

bool ServicePipeExists() {
    return WaitNamedPipeW(ServiceProtocol::PipeName, 1) || GetLastError() != ERROR_FILE_NOT_FOUND;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST_CASE("without the service the creator treats C: as a fixed disk") {
    REQUIRE(Marlin::COSVersion().MajorVersion() >= 6);
    if (ServicePipeExists()) FAIL("the disk-cache service's pipe is served by something else in this prefix");

    quaytest::TempDir from(L'D');
    quaytest::TempDir to(L'C');
    quaytest::WriteBytes(from / L"a.txt", "a");
    const Paths sources = {from / L"a.txt"};
    const std::wstring destination = to.path() + L"\\";
    const int32_t copy = 0;

    // That it does not wait for the absent service first is counted in service_install.
    CreateSluiceOptionCmdLine creator(sources, destination, copy);
    REQUIRE_EQ(creator.Create(), 1);
    CHECK_EQ(creator.GetDestinationInfo().path, to.path());
    CHECK_EQ(creator.GetDestinationInfo().usbAttached, 0);
    CHECK(AllZero(creator.GetDestinationInfo().diskCache));

    const SluiceOption& option = creator.GetOption();
    CHECK_EQ(option.destination, to.path());
    CHECK(option.sources == sources);
    CHECK_EQ(option.noBufferingThreshold, SluiceOption::Never);
    CHECK_EQ(option.writeChunkSize, uint64_t{0x10000});
    CHECK_EQ(option.foldersFirst, 1);
    CHECK_EQ(option.readerWakeFreeBytes, uint64_t{1});
    CHECK_EQ(option.writerWakeUsedBytes, uint64_t{1});
}

TEST_CASE("a service that answers is asked about the destination's drive, and its answer decides") {
    if (ServicePipeExists()) FAIL("the disk-cache service's pipe is served by something else in this prefix");

    // The service's own request handling on its real pipe; only the disk below it is
    // scripted, since Wine's disks answer no hot-plug query.
    svctest::FakeDiskDriveIo drives;
    drives.AddDrive(L"\\\\.\\C:", svctest::RemovableMediumScript());
    ServiceCommandServer server(drives);
    pipetest::RunningServer running(server);
    const auto appear = std::chrono::steady_clock::now();
    while (!WaitNamedPipeW(ServiceProtocol::PipeName, 100)) {
        if (MillisecondsSince(appear) > 10000) FAIL("the service's pipe did not appear");
        Sleep(10);
    }

    quaytest::TempDir from(L'C');
    quaytest::TempDir to(L'C');
    const Paths sources = {from.path()};
    const int32_t copy = 0;
    CreateSluiceOptionCmdLine creator(sources, to.path(), copy);
    REQUIRE_EQ(creator.Create(), 1);

    CHECK(drives.OpenAttempts() == std::vector<std::wstring>{L"\\\\.\\C:"});
    const auto& hotplug = creator.GetDestinationInfo().diskCache.payload;
    CHECK_EQ(hotplug.hotplugInformationValid, 1u);
    CHECK_EQ(hotplug.hotplugInformation.MediaRemovable, 1);
    // Removable media: every file unbuffered, large writes, whatever the version.
    CHECK_EQ(creator.GetOption().noBufferingThreshold, uint64_t{0});
    CHECK_EQ(creator.GetOption().writeChunkSize, uint64_t{0x1000000});
    // Still no USB device, so the walk order stays.
    CHECK_EQ(creator.GetOption().foldersFirst, 1);
    CHECK_EQ(creator.GetOption().readerWakeFreeBytes, SluiceOption::Never);
}
