// The destination analysis: a destination whose drive letter is one of a connected USB
// device's volumes is marked usbAttached with a copy of that device; anything else stays
// 0. Only a path with a drive letter leads to a scan and a disk-cache query.
#include <windows.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "MarlinFileCopyDestinationAnalysis.h"
#include "MarlinFileCopyPathInfoCreator.h"
#include "StandardMachine.h"
#include "TestHarness.h"

using devicetest::StandardMachine;
using Marlin::CUSBEnumerateExData;
using Marlin::CUSBEnumerateExTreeData;
using Marlin::DiskCacheSettingData;
using Marlin::MarlinFileCopyDestinationAnalysis;
using Marlin::MarlinFileCopyPathInfo;
using Marlin::MarlinFileCopyPathInfoCreator;
using Marlin::Sluice::MarlinFileCopyToInfo;

namespace {

bool AllZero(const DiskCacheSettingData& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&data.payload);
    for (size_t i = 0; i < sizeof(data.payload); ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

// A device record whose tree carries the given letters (0: a node without one).
CUSBEnumerateExData DeviceWithLetters(uint16_t usbVersion, const std::wstring& letters) {
    CUSBEnumerateExData device;
    device.usbVersion = usbVersion;
    auto root = device.nodes.set_head(CUSBEnumerateExTreeData());
    for (wchar_t letter : letters) {
        CUSBEnumerateExTreeData node;
        node.driveLetter = letter == L'.' ? 0 : letter;
        device.nodes.append_child(root, node);
    }
    return device;
}

}  // namespace

TEST_CASE("a destination is USB-attached exactly when its drive is a volume of a connected USB device") {
    struct Row {
        const char* what;
        std::wstring path;
        int32_t usbAttached;
        uint16_t usbVersion;  // of the matched device
        wchar_t askedLetter;  // of the disk-cache query; 0: not asked
    } rows[] = {
        {"a folder on the USB disk's first volume, in lower case", L"e:\\backup", 1, 0x0200, L'e'},
        {"the USB disk's second volume", L"F:\\", 1, 0x0200, L'F'},
        {"the card reader whose strings cannot be read", L"G:\\photos", 1, 0x0110, L'G'},
        {"the fixed disk", L"C:\\data", 0, 0, L'C'},
        {"a volume without a device node", L"D:\\", 0, 0, L'D'},
        {"Z:, which is never probed", L"Z:\\", 0, 0, L'Z'},
        {"a letter with no volume", L"Q:\\x", 0, 0, L'Q'},
        {"a UNC path", L"\\\\server\\share\\dir", 0, 0, 0},
        {"a path starting with a digit", L"1:\\x", 0, 0, 0},
        {"an empty path", L"", 0, 0, 0},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        StandardMachine machine;
        std::vector<wchar_t> asked;
        MarlinFileCopyDestinationAnalysis analysis(
            [&](wchar_t letter, DiskCacheSettingData& data) {
                asked.push_back(letter);
                data.payload.hotplugInformationValid = 1;
                data.payload.hotplugInformation.DeviceHotplug = 1;
            },
            machine.Platform());
        MarlinFileCopyToInfo record;
        analysis.Run(record, row.path);

        CHECK_EQ(record.path, row.path);
        CHECK_EQ(record.usbAttached, row.usbAttached);
        CHECK_EQ(record.device.usbVersion, row.usbVersion);
        if (row.usbAttached) {
            CHECK(!record.device.nodes.empty());
        } else {
            CHECK(record.device.nodes.empty());
        }
        if (row.askedLetter) {
            CHECK(asked == std::vector<wchar_t>{row.askedLetter});
            CHECK_EQ(record.diskCache.payload.hotplugInformationValid, 1u);
        } else {
            // No letter: no scan of any kind, and the service is not asked.
            CHECK(asked.empty());
            CHECK(AllZero(record.diskCache));
            CHECK(machine.MountPointQueries().empty());
            CHECK_EQ(machine.OpenCount(L"\\\\.\\HCD0"), 0);
        }
        CHECK_EQ(machine.OpenHandles(), 0);
    }
}

TEST_CASE("both volumes of one USB disk lead to the same device") {
    StandardMachine machine;
    MarlinFileCopyDestinationAnalysis analysis({}, machine.Platform());
    MarlinFileCopyToInfo onE, onF;
    analysis.Run(onE, L"E:\\a");
    analysis.Run(onF, L"f:\\b");
    REQUIRE_EQ(onE.usbAttached, 1);
    REQUIRE_EQ(onF.usbAttached, 1);
    CHECK_EQ(onE.device.nodes.begin()->deviceId, std::wstring(L"USB\\VID_1234&PID_5678\\QD0001"));
    CHECK_EQ(onF.device.nodes.begin()->deviceId, onE.device.nodes.begin()->deviceId);
    // Without a disk-cache query the record's cache data stays zero.
    CHECK(AllZero(onE.diskCache));
}

TEST_CASE("a new path forgets what the record said about the previous one") {
    StandardMachine machine;
    MarlinFileCopyDestinationAnalysis analysis({}, machine.Platform());
    MarlinFileCopyToInfo record;
    analysis.Run(record, L"E:\\");
    REQUIRE_EQ(record.usbAttached, 1);
    analysis.Run(record, L"\\\\server\\share");
    CHECK_EQ(record.usbAttached, 0);
    CHECK(record.device.nodes.empty());
    CHECK_EQ(record.device.usbVersion, 0);
    CHECK_EQ(record.path, std::wstring(L"\\\\server\\share"));

    MarlinFileCopyPathInfoCreator none(nullptr);
    none.SetPath(L"E:\\");  // a creator without a record does nothing
    none.MatchUsbDevice({DeviceWithLetters(1, L"E")});
}

TEST_CASE("matching takes the first device in list order that holds the letter") {
    const std::vector<CUSBEnumerateExData> devices = {
        DeviceWithLetters(0x0100, L".."),
        DeviceWithLetters(0x0200, L"K.K"),
        DeviceWithLetters(0x0300, L"k"),
    };
    struct Row {
        std::wstring path;
        int32_t usbAttached;
        uint16_t version;
    } rows[] = {
        {L"K:\\", 1, 0x0200},
        {L"k:\\", 1, 0x0200},
        {L"L:\\", 0, 0},
    };
    for (const Row& row : rows) {
        CONTEXT(quaytest::Utf8(row.path));
        MarlinFileCopyPathInfo record;
        MarlinFileCopyPathInfoCreator creator(&record);
        creator.SetPath(row.path);
        creator.MatchUsbDevice(devices);
        CHECK_EQ(record.usbAttached, row.usbAttached);
        CHECK_EQ(record.device.usbVersion, row.version);
    }
}

TEST_CASE("the drive letter is the path's first character when that is an ASCII letter") {
    struct Row {
        std::wstring path;
        wchar_t letter;
    } rows[] = {
        {L"C:\\x", L'C'}, {L"z:", L'z'}, {L"a", L'a'}, {L"", 0},     {L"\\\\srv\\s", 0},
        {L"9:\\", 0},     {L"Ｃ:\\", 0}, {L"@:\\", 0}, {L"[:\\", 0},
    };
    for (const Row& row : rows) {
        CONTEXT(quaytest::Utf8(row.path));
        MarlinFileCopyPathInfo record;
        record.path = row.path;
        CHECK_EQ(record.GetDriveLetter(), row.letter);
    }
}

TEST_CASE("a new destination record is empty and its disk-cache payload all zero, padding included") {
    // Its payload is sent byte for byte, so the padding must not carry stack contents.
    alignas(MarlinFileCopyToInfo) unsigned char storage[sizeof(MarlinFileCopyToInfo)];
    std::memset(storage, 0xCC, sizeof(storage));
    auto* record = new (storage) MarlinFileCopyToInfo();
    CHECK(record->path.empty());
    CHECK_EQ(record->usbAttached, 0);
    CHECK(record->device.nodes.empty());
    CHECK(AllZero(record->diskCache));
    record->~MarlinFileCopyToInfo();
}
