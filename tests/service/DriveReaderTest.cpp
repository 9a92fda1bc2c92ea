// What the service reads from a drive, against scripted drives: which device is opened,
// which I/O controls are sent, and what the record holds for each kind of drive.
#include <windows.h>

#include <cstring>

#include "DiskCacheSettingReader.h"
#include "FakeDiskDriveIo.h"
#include "ServiceFixtures.h"
#include "TestHarness.h"

using Marlin::DiskCacheSettingData;
using Marlin::DiskCacheSettingReader;
using svctest::Concat;
using svctest::FakeDiskDriveIo;
using svctest::Hex;
using svctest::Le32;

namespace {

std::vector<uint8_t> Bytes(const DiskCacheSettingData& data) {
    const auto* p = reinterpret_cast<const uint8_t*>(&data.payload);
    return std::vector<uint8_t>(p, p + sizeof data.payload);
}

std::vector<uint8_t> Zeros(size_t n) { return std::vector<uint8_t>(n, 0); }

}  // namespace

TEST_CASE("each kind of drive gives its blocks, zero blocks for what it did not answer, and the matching flags") {
    struct Row {
        const char* what;
        char16_t letter;
        int opened;
        std::vector<uint8_t> record;
    } rows[] = {
        {"a fixed disk whose three controls answer", u'E', 1,
         Concat({svctest::FixedDiskCacheInformation(), svctest::FixedDiskCacheSetting(), svctest::FixedDiskHotplug(),
                 Le32(1), Le32(1), Le32(1)})},
        {"the same disk by its lower-case letter", u'e', 1,
         Concat({svctest::FixedDiskCacheInformation(), svctest::FixedDiskCacheSetting(), svctest::FixedDiskHotplug(),
                 Le32(1), Le32(1), Le32(1)})},
        {"a removable medium that answers only the hot-plug query", u'U', 1,
         Concat({Zeros(24), Zeros(12), svctest::RemovableMediumHotplug(), Le32(0), Le32(0), Le32(1)})},
        // Cache information that comes back short is not taken; the cache setting's byte
        // count is not looked at, and its zeroed buffer stays zero.
        {"a disk whose cache information comes back short", u'S', 1,
         Concat({Zeros(24), Zeros(12), svctest::FixedDiskHotplug(), Le32(0), Le32(1), Le32(1)})},
        {"a letter with no volume", u'Q', 0, Zeros(56)},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        FakeDiskDriveIo drives;
        svctest::AddStandardDrives(drives);
        DiskCacheSettingReader reader(drives);
        CHECK_EQ(reader.ReadDrive(row.letter), row.opened);
        CHECK_EQ(reader.DriveLetter(), static_cast<uint16_t>(row.letter));
        CHECK_EQ(Hex(Bytes(reader.Data())), Hex(row.record));
        CHECK_EQ(drives.OpenDrives(), 0);  // the device is closed again
    }
}

TEST_CASE("only the three read-only controls are sent, on the drive's own device, into zeroed buffers") {
    FakeDiskDriveIo drives;
    svctest::AddStandardDrives(drives);
    DiskCacheSettingReader reader(drives);
    reader.ReadDrive(u'E');

    auto opened = drives.OpenAttempts();
    REQUIRE_EQ(opened.size(), size_t{1});
    CHECK_EQ(opened[0], std::wstring(L"\\\\.\\E:"));
    auto calls = drives.Calls();
    REQUIRE_EQ(calls.size(), size_t{3});
    const DWORD codes[3] = {0x740D4, 0x740E0, 0x2D0C14};
    const DWORD sizes[3] = {24, 12, 8};
    for (size_t i = 0; i < 3; ++i) {
        CONTEXT("control " + std::to_string(i));
        CHECK_EQ(calls[i].code, codes[i]);
        CHECK_EQ(calls[i].outSize, sizes[i]);
        CHECK(calls[i].outZeroed);
    }
}

TEST_CASE("a letter from the request that is no ASCII letter opens no device at all") {
    struct Row {
        const char* what;
        uint16_t letter;
    } rows[] = {
        {"NUL", 0},
        {"a backslash", u'\\'},
        {"a dot", u'.'},
        {"a colon", u':'},
        {"a digit", u'1'},
        {"a space", u' '},
        {"the character after Z", u'['},
        {"the character before a", u'`'},
        {"U+0143, whose low byte is C", 0x0143},
        {"a full-width Z", 0xFF3A},
        {"a lone surrogate", 0xD800},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        FakeDiskDriveIo drives;
        svctest::AddStandardDrives(drives);
        drives.AddDrive(L"\\\\.\\C:", svctest::FixedDiskScript());  // would answer if C were opened
        DiskCacheSettingReader reader(drives);
        CHECK_EQ(reader.ReadDrive(row.letter), 0);
        CHECK(drives.OpenAttempts().empty());
        CHECK_EQ(Hex(Bytes(reader.Data())), Hex(Zeros(56)));
        CHECK_EQ(DiskCacheSettingReader::DevicePath(row.letter), std::wstring());
    }
    CHECK_EQ(DiskCacheSettingReader::DevicePath(u'A'), std::wstring(L"\\\\.\\A:"));
    CHECK_EQ(DiskCacheSettingReader::DevicePath(u'z'), std::wstring(L"\\\\.\\z:"));
}

TEST_CASE("a second read starts from a zero record: nothing of the previous drive stays behind") {
    FakeDiskDriveIo drives;
    svctest::AddStandardDrives(drives);
    DiskCacheSettingReader reader(drives);
    REQUIRE_EQ(reader.ReadDrive(u'E'), 1);
    CHECK_EQ(reader.ReadDrive(u'Q'), 0);
    CHECK_EQ(Hex(Bytes(reader.Data())), Hex(Zeros(56)));
    REQUIRE_EQ(reader.ReadDrive(u'E'), 1);
    reader.ReadDrive(u'U');
    CHECK_EQ(Hex(Bytes(reader.Data())),
             Hex(Concat({Zeros(24), Zeros(12), svctest::RemovableMediumHotplug(), Le32(0), Le32(0), Le32(1)})));
}
