// The copy tool's conversation with the service, against a stand-in that sends replies
// the real service would not: what the client asks, what it keeps, when it gives up.
#include <windows.h>

#include <cstring>

#include "ProtocolVersion.h"
#include "RunningServer.h"
#include "ScriptedReplyServer.h"
#include "ServiceCommandClient.h"
#include "ServiceFixtures.h"
#include "ServiceProtocol.h"
#include "TestHarness.h"

using Marlin::DiskCacheSettingData;
using Marlin::ServiceProtocol;
using Marlin::Sluice::ServiceCommandClient;
using svctest::Concat;
using svctest::Hex;
using svctest::Le32;
using svctest::ScriptedReplyServer;

namespace {

std::vector<uint8_t> Bytes(const DiskCacheSettingData& data) {
    const auto* p = reinterpret_cast<const uint8_t*>(&data.payload);
    return std::vector<uint8_t>(p, p + sizeof data.payload);
}

// 56 bytes that differ from each other and from zero, with all three valid flags 1.
std::vector<uint8_t> SomeRecord() {
    std::vector<uint8_t> r(44);
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(0xA0 + i);
    return Concat({r, Le32(1), Le32(1), Le32(1)});
}

const std::vector<uint8_t> kVersionReply = Marlin::ProtocolVersion().Reply();

}  // namespace

TEST_CASE("the destination query: version first, then the drive letter as the path has it") {
    std::wstring name = svctest::UniquePipeName("client");
    ScriptedReplyServer server(name, {kVersionReply, Concat({Le32(0), SomeRecord()})});
    pipetest::RunningServer running(server);

    ServiceCommandClient client(name);
    DiskCacheSettingData record;
    CHECK_EQ(client.QueryDrive(L'e', record, 10000), 1);
    CHECK(!client.IsOpen());
    CHECK_EQ(Hex(Bytes(record)), Hex(SomeRecord()));
    auto requests = server.Requests();
    REQUIRE_EQ(requests.size(), size_t{2});
    CHECK_EQ(Hex(requests[0]), Hex(Le32(1)));
    CHECK_EQ(Hex(requests[1]), Hex({0x02, 0x00, 0x00, 0x00, 0x65, 0x00}));
}

TEST_CASE("a peer whose version reply is not exactly right is not asked for the drive") {
    struct Row {
        const char* what;
        std::vector<uint8_t> reply;
    } rows[] = {
        {"15 version bytes", {kVersionReply.begin(), kVersionReply.end() - 1}},
        {"17 version bytes", Concat({kVersionReply, {0x00}})},
        {"last word 2", Concat({Le32(0), Le32(1), Le32(0), Le32(0), Le32(2)})},
        {"status 1", Concat({Le32(1), Le32(1), Le32(0), Le32(0), Le32(1)})},
        {"the status alone", Le32(2)},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        std::wstring name = svctest::UniquePipeName("version");
        ScriptedReplyServer server(name, {row.reply, Concat({Le32(0), SomeRecord()})});
        pipetest::RunningServer running(server);
        ServiceCommandClient client(name);
        DiskCacheSettingData record;
        CHECK_EQ(client.QueryDrive(L'E', record, 10000), 0);
        CHECK(!client.IsOpen());
        CHECK_EQ(server.Requests().size(), size_t{1});
        CHECK_EQ(Hex(Bytes(record)), Hex(std::vector<uint8_t>(56, 0)));
    }
}

TEST_CASE("a drive reply that is short or long keeps the parts that came before the fault") {
    const std::vector<uint8_t> full = Concat({Le32(0), SomeRecord()});
    struct Row {
        const char* what;
        std::vector<uint8_t> reply;
        int result;
        size_t kept;
    } rows[] = {
        {"55 payload bytes", {full.begin(), full.end() - 1}, 0, 52},
        {"57 payload bytes", Concat({full, {0x00}}), 0, 56},
        {"23 payload bytes", {full.begin(), full.begin() + 27}, 0, 0},
        {"status 2", Le32(2), 0, 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        std::wstring name = svctest::UniquePipeName("short");
        ScriptedReplyServer server(name, {kVersionReply, row.reply});
        pipetest::RunningServer running(server);
        ServiceCommandClient client(name);
        DiskCacheSettingData record;
        CHECK_EQ(client.QueryDrive(L'E', record, 10000), row.result);
        std::vector<uint8_t> want(56, 0);
        std::memcpy(want.data(), SomeRecord().data(), row.kept);
        CHECK_EQ(Hex(Bytes(record)), Hex(want));
        // With 55 bytes the hot-plug block arrived but its flag did not: the copy tool
        // must not take the block as read.
        CHECK_EQ(record.payload.hotplugInformationValid, row.kept == 56 ? 1u : 0u);
    }
}

TEST_CASE("a destination without a drive letter asks nothing and waits for nothing") {
    std::wstring name = svctest::UniquePipeName("noletter");
    ScriptedReplyServer server(name, {kVersionReply, Concat({Le32(0), SomeRecord()})});
    pipetest::RunningServer running(server);
    ServiceCommandClient client(name);
    DiskCacheSettingData record;
    ULONGLONG t0 = GetTickCount64();
    CHECK_EQ(client.QueryDrive(0, record, 10000), 0);
    CHECK(GetTickCount64() - t0 < 500);
    CHECK_EQ(server.Connections(), 0);
    CHECK(server.Requests().empty());
    CHECK_EQ(Hex(Bytes(record)), Hex(std::vector<uint8_t>(56, 0)));
}

TEST_CASE("a pipe that never appears: the query gives up after about a second with the record zero") {
    ServiceCommandClient client(svctest::UniquePipeName("absent"));
    DiskCacheSettingData record;
    ULONGLONG t0 = GetTickCount64();
    CHECK_EQ(client.QueryDrive(L'C', record), 0);
    ULONGLONG elapsed = GetTickCount64() - t0;
    CHECK(elapsed >= 990);
    CHECK(elapsed < 5000);
    CHECK_EQ(Hex(Bytes(record)), Hex(std::vector<uint8_t>(56, 0)));
}
