// The production path on this machine's real Setup API, configuration manager, mount
// manager and drivers. Wine has no USB host controllers, hubs or volume interfaces, so
// the scan must end with nothing found and without harm; what Wine does provide (drive
// letters with volume names, a few device interfaces and their device IDs) is checked
// for what it is.
#include <windows.h>

#include <string>
#include <vector>

#include "CDeviceInterfaces.h"
#include "CUSBEnumerateEx.h"
#include "CVolumeEnumerate.h"
#include "MarlinFileCopyDestinationAnalysis.h"
#include "TestHarness.h"

using Marlin::CUSBEnumerateEx;
using Marlin::CUSBEnumerateExData;
using Marlin::CVolumeEnumerate;
using Marlin::CVolumeEnumerateData;
using Marlin::DiskCacheSettingData;
using Marlin::MarlinFileCopyDestinationAnalysis;

TEST_CASE("the real scan finds no USB device here and leaves C: not USB-attached") {
    std::vector<CUSBEnumerateExData> devices(1);
    CUSBEnumerateEx scan(&devices, 3, CUSBEnumerateEx::kCopyToolFlags);
    scan.Enumerate();
    CHECK(devices.empty());
    CHECK(scan.GetSeenControllers().empty());

    std::vector<wchar_t> asked;
    MarlinFileCopyDestinationAnalysis analysis([&](wchar_t letter, DiskCacheSettingData&) { asked.push_back(letter); });
    Marlin::Sluice::MarlinFileCopyToInfo record;
    analysis.Run(record, L"C:\\");
    CHECK_EQ(record.usbAttached, 0);
    CHECK(record.device.nodes.empty());
    CHECK(asked == std::vector<wchar_t>{L'C'});
}

TEST_CASE("the real volume list holds C: with its unique volume name, in letter order, and no Z:") {
    // The test prefix maps Z: to the Linux root, so it is a real volume that is not probed.
    wchar_t zName[MAX_PATH + 1] = {};
    REQUIRE(GetVolumeNameForVolumeMountPointW(L"Z:\\", zName, MAX_PATH));

    std::vector<CVolumeEnumerateData> volumes;
    CVolumeEnumerate enumerate(&volumes);
    enumerate.Enumerate();
    bool hasC = false;
    for (size_t i = 0; i < volumes.size(); ++i) {
        const CVolumeEnumerateData& v = volumes[i];
        CHECK(v.driveLetter >= L'A' && v.driveLetter <= L'Y');
        if (i > 0) CHECK(volumes[i - 1].driveLetter < v.driveLetter);
        CHECK_EQ(v.volumeName.compare(0, 11, L"\\\\?\\Volume{"), 0);
        CHECK_EQ(v.volumeName.back(), L'\\');
        hasC |= v.driveLetter == L'C';
    }
    CHECK(hasC);
}

TEST_CASE("the real interface list reads each interface's path and device node") {
    // Wine lists its HID devices as interfaces of GUID_DEVINTERFACE_HID.
    const GUID hid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    Marlin::CDeviceInterfaces interfaces;
    const std::vector<Marlin::IDeviceInterfaces::Entry> entries = interfaces.List(hid);
    REQUIRE(!entries.empty());
    int withNode = 0;
    for (const Marlin::IDeviceInterfaces::Entry& entry : entries) {
        CONTEXT(quaytest::Utf8(entry.devicePath));
        CHECK_EQ(entry.devicePath.compare(0, 4, L"\\\\?\\"), 0);
        CHECK(entry.devicePath.find(L"{4d1e55b2-f16f-11cf-88cb-001111000030}") != std::wstring::npos);
        // The ID is read with the list; Wine numbers its first device node 0, which counts
        // as none.
        if (entry.devInst == 0) continue;
        ++withNode;
        CHECK_EQ(entry.deviceId.compare(0, 4, L"HID\\"), 0);
    }
    CHECK(withNode > 0);

    // A class nothing belongs to gives an empty list.
    const GUID nothing = {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    CHECK(interfaces.List(nothing).empty());
}
