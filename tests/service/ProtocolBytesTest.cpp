// The bytes of the service's messages as both ends put them on the pipe and read them
// back: requests, replies, the 56-byte record, and the client's reading of replies that
// are short, long or unsuccessful.
#include <windows.h>

#include <cstring>

#include "DiskCacheSettingData.h"
#include "FakeDiskDriveIo.h"
#include "ProtocolVersion.h"
#include "ServiceFixtures.h"
#include "ServiceProtocol.h"
#include "TestHarness.h"

using Marlin::DiskCacheSettingData;
using Marlin::ServiceProtocol;
using svctest::Concat;
using svctest::Hex;
using svctest::Le32;

namespace {

std::vector<uint8_t> Bytes(const DiskCacheSettingData& data) {
    const auto* p = reinterpret_cast<const uint8_t*>(&data.payload);
    return std::vector<uint8_t>(p, p + sizeof data.payload);
}

// A record with a different value in every field, so that a field written at the wrong
// place shows.
DiskCacheSettingData DistinctRecord() {
    DiskCacheSettingData d;
    auto& c = d.payload.cacheInformation;
    c.ParametersSavable = 1;
    c.ReadCacheEnabled = 0;
    c.WriteCacheEnabled = 1;
    c.ReadRetentionPriority = static_cast<DISK_CACHE_RETENTION_PRIORITY>(2);
    c.WriteRetentionPriority = static_cast<DISK_CACHE_RETENTION_PRIORITY>(1);
    c.DisablePrefetchTransferLength = 0x1234;
    c.PrefetchScalar = 1;
    c.ScalarPrefetch.Minimum = 0x0010;
    c.ScalarPrefetch.Maximum = 0x0080;
    c.ScalarPrefetch.MaximumBlocks = 0x0100;
    d.payload.cacheSetting.Version = 12;
    d.payload.cacheSetting.State = 2;
    d.payload.cacheSetting.IsPowerProtected = 1;
    d.payload.hotplugInformation.Size = 8;
    d.payload.hotplugInformation.MediaRemovable = 0x11;
    d.payload.hotplugInformation.MediaHotplug = 0x22;
    d.payload.hotplugInformation.DeviceHotplug = 0x33;
    d.payload.hotplugInformation.WriteCacheEnableOverride = 0x44;
    d.payload.cacheInformationValid = 1;
    d.payload.cacheSettingValid = 0x0101;
    d.payload.hotplugInformationValid = 0x010101;
    return d;
}

// The same record, byte by byte as the wire carries it.
std::vector<uint8_t> DistinctRecordBytes() {
    return {
        // 0: DISK_CACHE_INFORMATION
        0x01, 0x00, 0x01, 0x00,  // savable, read cache, write cache, padding
        0x02, 0x00, 0x00, 0x00,  // read retention priority
        0x01, 0x00, 0x00, 0x00,  // write retention priority
        0x34, 0x12, 0x01, 0x00,  // disable-prefetch length, scalar prefetch, padding
        0x10, 0x00, 0x80, 0x00,  // minimum, maximum
        0x00, 0x01, 0x00, 0x00,  // maximum blocks, padding
        // 24: DISK_CACHE_SETTING
        0x0C, 0x00, 0x00, 0x00,  // version
        0x02, 0x00, 0x00, 0x00,  // state
        0x01, 0x00, 0x00, 0x00,  // power protected, padding
        // 36: STORAGE_HOTPLUG_INFO
        0x08, 0x00, 0x00, 0x00,  // size
        0x11, 0x22, 0x33, 0x44,  // media removable, media hot-plug, device hot-plug, override
        // 44: valid flags
        0x01, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00,
    };
}

}  // namespace

TEST_CASE("requests are the command and, for a drive, the letter as one UTF-16 unit") {
    CHECK_EQ(Hex(Marlin::ProtocolVersion::Request()), Hex({0x01, 0x00, 0x00, 0x00}));
    CHECK_EQ(Hex(ServiceProtocol::ReadDriveRequest(u'E')), Hex({0x02, 0x00, 0x00, 0x00, 0x45, 0x00}));
    // The letter goes as the path has it; the service does not care about case.
    CHECK_EQ(Hex(ServiceProtocol::ReadDriveRequest(u'e')), Hex({0x02, 0x00, 0x00, 0x00, 0x65, 0x00}));
    CHECK_EQ(ServiceProtocol::ReadDriveRequest(u'C').size(), ServiceProtocol::ReadDriveRequestSize);
}

TEST_CASE("the version reply is status 0 and the words 1, 0, 0, 1; errors are the status alone") {
    CHECK_EQ(Hex(Marlin::ProtocolVersion().Reply()), Hex(Concat({Le32(0), Le32(1), Le32(0), Le32(0), Le32(1)})));
    CHECK_EQ(Hex(ServiceProtocol::StatusReply(ServiceProtocol::StatusUnknownCommand)), Hex(Le32(1)));
    CHECK_EQ(Hex(ServiceProtocol::StatusReply(ServiceProtocol::StatusMalformed)), Hex(Le32(2)));
}

TEST_CASE("the drive reply is status 0 and the 56-byte record, every field at its offset") {
    DiskCacheSettingData record = DistinctRecord();
    // The record in memory is already the wire layout.
    CHECK_EQ(Hex(Bytes(record)), Hex(DistinctRecordBytes()));
    auto reply = ServiceProtocol::ReadDriveReply(record);
    REQUIRE_EQ(reply.size(), size_t{60});
    CHECK_EQ(Hex(reply), Hex(Concat({Le32(0), DistinctRecordBytes()})));
}

TEST_CASE("a new record, and the reply for a drive nothing could be read from, are all zero") {
    DiskCacheSettingData record;
    CHECK_EQ(Hex(Bytes(record)), Hex(std::vector<uint8_t>(56, 0)));
    CHECK_EQ(Hex(ServiceProtocol::ReadDriveReply(record)), Hex(std::vector<uint8_t>(60, 0)));
}

TEST_CASE("reading a drive reply stores each part as it comes and fails on anything but exactly 60 bytes") {
    const std::vector<uint8_t> full = Concat({Le32(0), DistinctRecordBytes()});
    struct Row {
        const char* what;
        std::vector<uint8_t> reply;
        int result;
        size_t storedBytes;  // how much of the record the reply filled, from offset 0
    } rows[] = {
        {"the whole reply", full, 1, 56},
        {"one byte more", Concat({full, {0x00}}), 0, 56},
        {"55 payload bytes: the hot-plug valid flag cannot be read", {full.begin(), full.end() - 1}, 0, 52},
        {"only the cache information", {full.begin(), full.begin() + 4 + 24}, 0, 24},
        {"one byte short of the cache information", {full.begin(), full.begin() + 4 + 23}, 0, 0},
        {"the cache information and half the cache setting", {full.begin(), full.begin() + 4 + 30}, 0, 24},
        {"status 0 alone", Le32(0), 0, 0},
        {"a status other than 0 with a record after it", Concat({Le32(2), DistinctRecordBytes()}), 0, 0},
        {"three bytes", {0x00, 0x00, 0x00}, 0, 0},
    };
    const auto expected = DistinctRecordBytes();
    for (const auto& row : rows) {
        CONTEXT(row.what);
        DiskCacheSettingData record;
        CHECK_EQ(ServiceProtocol::ParseReadDriveReply(row.reply.data(), row.reply.size(), record), row.result);
        std::vector<uint8_t> want(56, 0);
        std::memcpy(want.data(), expected.data(), row.storedBytes);
        CHECK_EQ(Hex(Bytes(record)), Hex(want));
    }
}

TEST_CASE("reading a version reply takes exactly status 0 and 16 bytes") {
    const std::vector<uint8_t> good = Marlin::ProtocolVersion().Reply();
    struct Row {
        const char* what;
        std::vector<uint8_t> reply;
        int result;
    } rows[] = {
        {"20 bytes", good, 1},
        {"15 payload bytes", {good.begin(), good.end() - 1}, 0},
        {"17 payload bytes", Concat({good, {0x00}}), 0},
        {"status 1 and 16 bytes", Concat({Le32(1), {good.begin() + 4, good.end()}}), 0},
        {"the status alone", Le32(0), 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        std::array<uint8_t, 16> version{};
        CHECK_EQ(ServiceProtocol::ParseVersionReply(row.reply.data(), row.reply.size(), version), row.result);
        if (row.result == 1) CHECK(version == Marlin::ProtocolVersion().Bytes());
    }
}
