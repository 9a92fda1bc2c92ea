// The service's request handling over a real pipe, in one process: the server runs on a
// thread of its own with scripted drives, the test is the client.
#include <windows.h>

#include "FakeDiskDriveIo.h"
#include "ProtocolVersion.h"
#include "RunningServer.h"
#include "ServiceCommandClient.h"
#include "ServiceCommandServer.h"
#include "ServiceFixtures.h"
#include "ServiceProtocol.h"
#include "TestHarness.h"

using Marlin::DiskCacheSettingData;
using Marlin::ServiceCommandServer;
using Marlin::ServiceProtocol;
using Marlin::Sluice::ServiceCommandClient;
using svctest::Concat;
using svctest::FakeDiskDriveIo;
using svctest::Hex;
using svctest::Le32;

namespace {

// A server on a pipe of its own with the standard drives, and a client connected to it.
struct Conversation {
    FakeDiskDriveIo drives;
    std::wstring name = svctest::UniquePipeName("commands");
    ServiceCommandServer server{drives, name};
    pipetest::RunningServer running{server};
    ServiceCommandClient client{name};

    Conversation() {
        svctest::AddStandardDrives(drives);
        if (!client.OpenWait(10000)) FAIL("the server's pipe did not appear");
    }

    std::vector<uint8_t> Ask(const std::vector<uint8_t>& request) {
        if (!client.Write(request.data(), static_cast<uint32_t>(request.size()))) FAIL("the request was not sent");
        std::vector<uint8_t> reply;
        if (!client.Read(reply)) FAIL("no reply");
        return reply;
    }
};

std::vector<uint8_t> Zeros(size_t n) { return std::vector<uint8_t>(n, 0); }

}  // namespace

TEST_CASE("the version request is answered with the 20-byte version reply") {
    Conversation c;
    CHECK_EQ(Hex(c.Ask(Le32(1))), Hex(Concat({Le32(0), Le32(1), Le32(0), Le32(0), Le32(1)})));
    std::array<uint8_t, 16> version{};
    CHECK_EQ(c.client.QueryVersion(version), 1);
    CHECK(version == Marlin::ProtocolVersion().Bytes());
}

TEST_CASE("a drive query is answered with status 0 and the drive's record, whatever could be read") {
    Conversation c;
    struct Row {
        const char* what;
        uint16_t letter;
        std::vector<uint8_t> record;
    } rows[] = {
        {"a fixed disk", u'E',
         Concat({svctest::FixedDiskCacheInformation(), svctest::FixedDiskCacheSetting(), svctest::FixedDiskHotplug(),
                 Le32(1), Le32(1), Le32(1)})},
        {"a removable medium without the cache setting", u'u',
         Concat({Zeros(24), Zeros(12), svctest::RemovableMediumHotplug(), Le32(0), Le32(0), Le32(1)})},
        {"a letter with no volume", u'Q', Zeros(56)},
        {"a code unit that is no drive letter", u'\\', Zeros(56)},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(Hex(c.Ask(ServiceProtocol::ReadDriveRequest(row.letter))), Hex(Concat({Le32(0), row.record})));
    }
    // The same through the client's own reading of the reply.
    DiskCacheSettingData record;
    CHECK_EQ(c.client.QueryDiskCacheSetting(u'U', record), 1);
    CHECK_EQ(record.payload.hotplugInformationValid, 1u);
    CHECK_EQ(record.payload.cacheSettingValid, 0u);
    CHECK_EQ(record.payload.hotplugInformation.MediaRemovable, BOOLEAN{1});
    CHECK_EQ(record.payload.hotplugInformation.DeviceHotplug, BOOLEAN{1});
    // Each real letter opened its own device; the backslash opened nothing.
    std::vector<std::wstring> opened{L"\\\\.\\E:", L"\\\\.\\u:", L"\\\\.\\Q:", L"\\\\.\\U:"};
    CHECK(c.drives.OpenAttempts() == opened);
    CHECK_EQ(c.drives.OpenDrives(), 0);
}

TEST_CASE("malformed requests get status 2, unknown commands status 1, and the connection stays usable") {
    Conversation c;
    struct Row {
        const char* what;
        std::vector<uint8_t> request;
        uint32_t status;
    } rows[] = {
        {"three bytes", {0x01, 0x00, 0x00}, 2},
        {"one byte", {0x02}, 2},
        {"the version command and one byte", Concat({Le32(1), {0x00}}), 2},
        {"the version command and four bytes", Concat({Le32(1), Le32(0)}), 2},
        {"the drive command without a letter", Le32(2), 2},
        {"the drive command with one byte", Concat({Le32(2), {0x45}}), 2},
        {"the drive command with two letters", Concat({Le32(2), {0x45, 0x00, 0x46, 0x00}}), 2},
        {"the drive command with a letter and one byte", Concat({Le32(2), {0x45, 0x00, 0x00}}), 2},
        {"command 7", Le32(7), 1},
        {"command 7 with a payload", Concat({Le32(7), {0x45, 0x00}}), 1},
        {"command 0", Le32(0), 1},
        {"command 3", Le32(3), 1},
        {"command -1", Le32(0xFFFFFFFFu), 1},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(Hex(c.Ask(row.request)), Hex(Le32(row.status)));
        // The next request on the same connection is served normally.
        CHECK(Marlin::ProtocolVersion().AcceptsReply(c.Ask(Le32(1))));
    }
    // A malformed drive request never reaches a drive.
    CHECK(c.drives.OpenAttempts().empty());
    DiskCacheSettingData record;
    CHECK_EQ(c.client.QueryDiskCacheSetting(u'E', record), 1);
    CHECK_EQ(record.payload.cacheInformationValid, 1u);
}

TEST_CASE("after a client leaves, the next one is served on a fresh pipe instance") {
    Conversation c;
    DiskCacheSettingData first;
    CHECK_EQ(c.client.QueryDrive(L'E', first, 10000), 1);
    CHECK(!c.client.IsOpen());
    DiskCacheSettingData second;
    ServiceCommandClient next(c.name);
    CHECK_EQ(next.QueryDrive(L'U', second, 10000), 1);
    CHECK_EQ(second.payload.hotplugInformationValid, 1u);
    CHECK_EQ(first.payload.cacheSettingValid, 1u);
}
