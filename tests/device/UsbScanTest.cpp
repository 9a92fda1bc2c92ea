// The USB scan on a scripted machine: every controller walked once whichever ways it is
// reached, hubs behind hubs, only connected devices recorded, and each device's node tree
// with the drive letters of its volumes.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "CUSBEnumerateEx.h"
#include "StandardMachine.h"
#include "TestHarness.h"

using devicetest::StandardMachine;
using Marlin::CUSBEnumerateEx;
using Marlin::CUSBEnumerateExData;
using Marlin::CUSBIoControl;

namespace {

std::vector<std::wstring> NodeIds(const CUSBEnumerateExData& device) {
    std::vector<std::wstring> ids;
    for (auto it = device.nodes.begin(); it != device.nodes.end(); ++it) ids.push_back(it->deviceId);
    return ids;
}

std::wstring NodeLetters(const CUSBEnumerateExData& device) {
    std::wstring letters;
    for (auto it = device.nodes.begin(); it != device.nodes.end(); ++it)
        letters += it->driveLetter ? it->driveLetter : L'.';
    return letters;
}

std::vector<CUSBEnumerateExData> Scan(StandardMachine& machine, uint32_t discovery, uint32_t collection) {
    std::vector<CUSBEnumerateExData> devices;
    CUSBEnumerateEx scan(&devices, discovery, collection, machine.Platform());
    scan.Enumerate();
    return devices;
}

}  // namespace

TEST_CASE("the copy tool's scan finds the USB disk behind two hubs and the card reader, each once") {
    StandardMachine machine;
    std::vector<CUSBEnumerateExData> devices;
    CUSBEnumerateEx scan(&devices, 3, CUSBEnumerateEx::kCopyToolFlags, machine.Platform());
    scan.Enumerate();

    // Empty ports, the port whose device failed enumeration and the keyboard without a
    // driver key add nothing.
    REQUIRE_EQ(devices.size(), size_t(2));
    const CUSBEnumerateExData& disk = devices[0];
    const CUSBEnumerateExData& reader = devices[1];
    CHECK_EQ(disk.usbVersion, 0x0200);
    CHECK_EQ(reader.usbVersion, 0x0110);

    const std::vector<std::wstring> diskIds = {
        L"USB\\VID_1234&PID_5678\\QD0001", L"USBSTOR\\DISK&VEN_QUAY&PROD_DISK&REV_1.00\\QD0001&0",
        L"STORAGE\\VOLUME\\{usbdisk}#0000000000007E00", L"STORAGE\\VOLUME\\{usbdisk}#0000000040007E00"};
    CHECK(NodeIds(disk) == diskIds);
    CHECK_EQ(NodeLetters(disk), std::wstring(L"..EF"));
    CHECK_EQ(disk.nodes.begin()->description, std::wstring(L"USB 大容量記憶装置"));
    CHECK_EQ(disk.nodes.begin()->deviceInstance, static_cast<uint32_t>(machine.usbDevice));

    // The reader's strings cannot be read; its tree and its volume's letter still can.
    // Its second function has no readable ID and so takes no letter, although D:'s volume
    // has no device ID either.
    const std::vector<std::wstring> readerIds = {L"USB\\VID_0BDA&PID_0151\\CR0001",
                                                 L"USBSTOR\\DISK&VEN_GENERIC&PROD_CARD\\CR0001&0",
                                                 L"STORAGE\\VOLUME\\{card}#0000000000002000", L""};
    CHECK(NodeIds(reader) == readerIds);
    CHECK_EQ(NodeLetters(reader), std::wstring(L"..G."));

    // The copy tool's flags collect nothing else.
    for (const CUSBEnumerateExData& d : devices) {
        CHECK_EQ(d.vendorId, 0);
        CHECK(d.manufacturer.empty());
        CHECK_EQ(d.speed, 0u);
        CHECK(d.nodes.begin()->friendlyName.empty());
    }
}

TEST_CASE("a controller reached by its name and through its interface is walked once") {
    struct Row {
        const char* what;
        uint32_t discovery;
        int nameOpens;       // of \\.\HCD0
        int interfaceOpens;  // of controller 0's interface path
    } rows[] = {
        {"by name", CUSBEnumerateEx::kDiscoverByName, 2, 0},
        {"by interface", CUSBEnumerateEx::kDiscoverByInterface, 0, 2},
        // The fixed names come first, so the interface path is opened only to read its key.
        {"both", 3, 2, 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        StandardMachine machine;
        std::vector<CUSBEnumerateExData> devices;
        CUSBEnumerateEx scan(&devices, row.discovery, CUSBEnumerateEx::kCopyToolFlags, machine.Platform());
        scan.Enumerate();
        CHECK_EQ(devices.size(), size_t(2));
        CHECK_EQ(scan.GetSeenControllers().size(), size_t(2));
        for (const wchar_t* hub :
             {StandardMachine::kRootHub0, StandardMachine::kRootHub1, StandardMachine::kHubA, StandardMachine::kHubB})
            CHECK_EQ(machine.OpenCount(std::wstring(L"\\\\.\\") + hub), 1);
        CHECK_EQ(machine.OpenCount(L"\\\\.\\HCD0"), row.nameOpens);
        CHECK_EQ(machine.OpenCount(StandardMachine::kController0Interface), row.interfaceOpens);
        CHECK_EQ(machine.OpenHandles(), 0);
    }

    StandardMachine machine;
    std::vector<CUSBEnumerateExData> devices;
    CUSBEnumerateEx scan(&devices, 3, CUSBEnumerateEx::kCopyToolFlags, machine.Platform());
    scan.Enumerate();
    const std::vector<std::wstring> keys = {L"{36FC9E60-C465-11CF-8056-444553540000}\\0000",
                                            L"{36FC9E60-C465-11CF-8056-444553540000}\\0001"};
    CHECK(scan.GetSeenControllers() == keys);

    // A second scan with the same enumerator walks everything again.
    scan.Enumerate();
    CHECK_EQ(devices.size(), size_t(2));
    CHECK_EQ(machine.OpenCount(L"\\\\.\\" + std::wstring(StandardMachine::kHubB)), 2);

    CUSBEnumerateEx none(&devices, 0, CUSBEnumerateEx::kCopyToolFlags, machine.Platform());
    none.Enumerate();
    CHECK(devices.empty());
}

TEST_CASE("each collection flag fills its own fields and no others") {
    // One flag at a time; the disk (device 0) and its USB storage node (node 1) show it.
    struct Row {
        const char* what;
        uint32_t flags;
        bool treeBuilt;
        std::function<bool(const CUSBEnumerateExData&)> filled;
    } rows[] = {
        {"vendor ID", 0x1, false, [](const CUSBEnumerateExData& d) { return d.vendorId == 0x1234; }},
        {"product ID", 0x2, false, [](const CUSBEnumerateExData& d) { return d.productId == 0x5678; }},
        {"manufacturer", 0x4, false, [](const CUSBEnumerateExData& d) { return d.manufacturer == L"Quay Maker"; }},
        {"product", 0x8, false, [](const CUSBEnumerateExData& d) { return d.product == L"Quay Disk"; }},
        {"serial number", 0x10, false, [](const CUSBEnumerateExData& d) { return d.serialNumber == L"QD0001"; }},
        {"USB version", 0x20, false, [](const CUSBEnumerateExData& d) { return d.usbVersion == 0x0200; }},
        {"speed", 0x40, false, [](const CUSBEnumerateExData& d) { return d.speed == UsbHighSpeed; }},
        {"drive letters", 0x100, true,
         [](const CUSBEnumerateExData& d) {
             return NodeLetters(d) == L"..EF" &&
                    NodeIds(d)[1] == L"USBSTOR\\DISK&VEN_QUAY&PROD_DISK&REV_1.00\\QD0001&0";
         }},
        {"device IDs", 0x200, true,
         [](const CUSBEnumerateExData& d) {
             return NodeIds(d)[0] == L"USB\\VID_1234&PID_5678\\QD0001" && NodeLetters(d) == L"....";
         }},
        {"enumerator names", 0x400, true,
         [](const CUSBEnumerateExData& d) { return std::next(d.nodes.begin())->enumeratorName == L"USBSTOR"; }},
        {"friendly names", 0x800, true,
         [](const CUSBEnumerateExData& d) {
             return std::next(d.nodes.begin())->friendlyName == L"Quay Disk USB Device";
         }},
        {"descriptions", 0x1000, true,
         [](const CUSBEnumerateExData& d) { return std::next(d.nodes.begin())->description == L"ディスク ドライブ"; }},
        {"class GUIDs", 0x2000, true,
         [](const CUSBEnumerateExData& d) {
             return d.nodes.begin()->classGuid == L"{36FC9E60-C465-11CF-8056-444553540000}";
         }},
        {"status", 0x4000, true,
         [](const CUSBEnumerateExData& d) {
             return std::next(d.nodes.begin())->status == (DN_STARTED | DN_DRIVER_LOADED | DN_REMOVABLE);
         }},
        {"lower filters", 0x10000, true,
         [](const CUSBEnumerateExData& d) {
             return d.nodes.begin()->lowerFilters == std::vector<std::wstring>{L"quayflt", L"lowerflt"};
         }},
        {"upper filters", 0x20000, true,
         [](const CUSBEnumerateExData& d) {
             return std::next(d.nodes.begin())->upperFilters == std::vector<std::wstring>{L"PartMgr"};
         }},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        StandardMachine machine;
        std::vector<CUSBEnumerateExData> devices = Scan(machine, 3, row.flags);
        REQUIRE_EQ(devices.size(), size_t(2));
        const CUSBEnumerateExData& d = devices[0];
        CHECK(row.filled(d));
        CHECK_EQ(!d.nodes.empty(), row.treeBuilt);
        // The tree has its shape whatever the node fields hold.
        if (row.treeBuilt) CHECK_EQ(d.nodes.size(), size_t(4));

        // Everything else keeps its starting value.
        auto onlyWhen = [&](uint32_t flag, bool isSet) { return (row.flags & flag) ? true : !isSet; };
        CHECK(onlyWhen(0x1, d.vendorId != 0));
        CHECK(onlyWhen(0x2, d.productId != 0));
        CHECK(onlyWhen(0x4, !d.manufacturer.empty()));
        CHECK(onlyWhen(0x8, !d.product.empty()));
        CHECK(onlyWhen(0x10, !d.serialNumber.empty()));
        CHECK(onlyWhen(0x20, d.usbVersion != 0));
        CHECK(onlyWhen(0x40, d.speed != 0));
        for (auto it = d.nodes.begin(); it != d.nodes.end(); ++it) {
            CHECK(onlyWhen(0x300, !it->deviceId.empty()));
            CHECK(onlyWhen(0x100, it->driveLetter != 0));
            CHECK(onlyWhen(0x400, !it->enumeratorName.empty()));
            CHECK(onlyWhen(0x800, !it->friendlyName.empty()));
            CHECK(onlyWhen(0x1000, !it->description.empty()));
            CHECK(onlyWhen(0x2000, !it->classGuid.empty()));
            CHECK(onlyWhen(0x4000, it->status != 0));
            CHECK(onlyWhen(0x10000, !it->lowerFilters.empty()));
            CHECK(onlyWhen(0x20000, !it->upperFilters.empty()));
            CHECK_EQ(it->problem, 0u);
            CHECK(it->deviceInstance != 0);  // always filled
        }
    }
}

TEST_CASE("problem numbers are read only together with the status") {
    struct Row {
        uint32_t flags;
        uint32_t status;
        uint32_t problem;
    } rows[] = {
        {0x8000, 0, 0},
        {0x4000, DN_HAS_PROBLEM, 0},
        {0xC000, DN_HAS_PROBLEM, CM_PROB_FAILED_START},
    };
    for (const Row& row : rows) {
        CONTEXT("flags " + std::to_string(row.flags));
        StandardMachine machine;
        std::vector<CUSBEnumerateExData> devices = Scan(machine, 3, row.flags);
        REQUIRE_EQ(devices.size(), size_t(2));
        // The card reader's broken second function is the last node of its tree.
        auto last = devices[1].nodes.begin();
        for (auto it = devices[1].nodes.begin(); it != devices[1].nodes.end(); ++it) last = it;
        CHECK_EQ(last->deviceInstance, static_cast<uint32_t>(machine.cardBroken));
        CHECK_EQ(last->status, row.status);
        CHECK_EQ(last->problem, row.problem);
    }
}

TEST_CASE("strings are read in the device's first language, and only those asked for with an index") {
    StandardMachine machine;
    // Only the first language has the strings; the disk lists it first.
    machine.Hub(StandardMachine::kHubB).ports[0].descriptor.iSerialNumber = 0;
    std::vector<CUSBEnumerateExData> devices = Scan(machine, 3, 0x1C);
    REQUIRE_EQ(devices.size(), size_t(2));
    CHECK_EQ(devices[0].manufacturer, std::wstring(L"Quay Maker"));
    CHECK_EQ(devices[0].product, std::wstring(L"Quay Disk"));
    CHECK(devices[0].serialNumber.empty());
    CHECK(devices[1].manufacturer.empty());  // its string descriptors fail

    StandardMachine noLanguage;
    noLanguage.Hub(StandardMachine::kHubB).ports[0].languages.clear();
    devices = Scan(noLanguage, 3, 0x1C);
    REQUIRE_EQ(devices.size(), size_t(2));
    CHECK(devices[0].manufacturer.empty());
    CHECK(devices[0].product.empty());

    // No string asked for: not one descriptor request.
    StandardMachine quiet;
    Scan(quiet, 3, CUSBEnumerateEx::kCopyToolFlags);
    CHECK_EQ(quiet.ControlCount(L"\\\\.\\" + std::wstring(StandardMachine::kHubB),
                                CUSBIoControl::kGetDescriptorFromNodeConnection),
             0);
}

TEST_CASE("without a configuration-manager root the devices are recorded with an empty node") {
    StandardMachine machine;
    machine.rootLocatable = false;
    std::vector<CUSBEnumerateExData> devices = Scan(machine, 3, CUSBEnumerateEx::kCopyToolFlags);
    REQUIRE_EQ(devices.size(), size_t(2));
    for (const CUSBEnumerateExData& d : devices) {
        REQUIRE_EQ(d.nodes.size(), size_t(1));
        CHECK_EQ(d.nodes.begin()->deviceInstance, 0u);
        CHECK(d.nodes.begin()->deviceId.empty());
        CHECK_EQ(d.nodes.begin()->driveLetter, L'\0');
    }
}
