// What stops the scan when the machine misbehaves: hubs that lead round in a circle or
// nest without end, device-node relations that loop, and values whose reported sizes are
// larger than any real one. A real machine never does these things; a broken driver or
// device can, and the scan must still end with what it found.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "CUSBEnumerateEx.h"
#include "DeviceStrings.h"
#include "StandardMachine.h"
#include "TestHarness.h"

using devicetest::FakeMachine;
using devicetest::FakePort;
using devicetest::StandardMachine;
using Marlin::CUSBEnumerateEx;
using Marlin::CUSBEnumerateExData;
using Marlin::CVolumeEnumerateData;

namespace {

std::vector<CUSBEnumerateExData> Scan(FakeMachine& machine, uint32_t collection = CUSBEnumerateEx::kCopyToolFlags) {
    std::vector<CUSBEnumerateExData> devices;
    CUSBEnumerateEx scan(&devices, 3, collection, machine.Platform());
    scan.Enumerate();
    return devices;
}

std::wstring HubPath(const std::wstring& name) { return L"\\\\.\\" + name; }

FakePort HubPort(const std::wstring& name) {
    FakePort port;
    port.status = DeviceConnected;
    port.isHub = true;
    port.hubName = name;
    return port;
}

int32_t MaxDepth(const CUSBEnumerateExData& device) {
    int32_t depth = 0;
    for (auto it = device.nodes.begin(); it != device.nodes.end(); ++it) depth = std::max(depth, it.depth());
    return depth;
}

}  // namespace

TEST_CASE("a hub that names a hub above it, or itself, as its downstream is not walked again") {
    struct Row {
        const char* what;
        const wchar_t* loopTo;
    } rows[] = {
        {"back to the hub above", StandardMachine::kHubA},
        {"back to the root hub", StandardMachine::kRootHub0},
        {"to itself, in another letter case", L"usb#vid_05e3&pid_0610#6&1&2#{f18a0e88-c30c-11d0-8815-00a0c906bed8}"},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        StandardMachine machine;
        machine.Hub(StandardMachine::kHubB).ports[1] = HubPort(row.loopTo);
        std::vector<CUSBEnumerateExData> devices = Scan(machine);
        CHECK_EQ(devices.size(), size_t(2));
        for (const wchar_t* hub : {StandardMachine::kRootHub0, StandardMachine::kHubA, StandardMachine::kHubB})
            CHECK_EQ(machine.OpenCount(HubPath(hub)), 1);
        CHECK_EQ(machine.OpenHandles(), 0);
    }
}

TEST_CASE("a chain of hubs is followed as deep as USB allows, and a runaway chain is cut off") {
    struct Row {
        const char* what;
        int externalHubs;
        bool deviceFound;
        int hubsOpened;
    } rows[] = {
        {"five hubs behind the root hub", 5, true, 6},
        {"a chain no real topology reaches", 200, false, static_cast<int>(CUSBEnumerateEx::kMaxHubChain)},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        FakeMachine machine;
        machine.AddController(L"\\\\.\\HCD0", L"{key}\\0000", L"ROOT");
        std::wstring hub = L"ROOT";
        for (int n = 0; n < row.externalHubs; ++n) {
            const std::wstring next = L"HUB" + std::to_wstring(n);
            machine.AddHub(hub).ports = {FakePort(), HubPort(next)};
            hub = next;
        }
        FakePort device;
        device.status = DeviceConnected;
        device.driverKey = L"{key}\\0100";
        machine.AddHub(hub).ports = {device};
        DEVINST node = machine.AddNode(machine.Root(), L"USB\\VID_0001&PID_0001\\END");
        machine.SetString(node, CM_DRP_DRIVER, L"{KEY}\\0100");

        std::vector<CUSBEnumerateExData> devices = Scan(machine);
        CHECK_EQ(devices.size(), size_t(row.deviceFound ? 1 : 0));
        if (row.deviceFound) {
            REQUIRE(!devices.empty());
            CHECK_EQ(devices[0].nodes.begin()->deviceId, std::wstring(L"USB\\VID_0001&PID_0001\\END"));
        }
        int opened = machine.OpenCount(HubPath(L"ROOT"));
        for (int n = 0; n < row.externalHubs; ++n) opened += machine.OpenCount(HubPath(L"HUB" + std::to_wstring(n)));
        CHECK_EQ(opened, row.hubsOpened);
        CHECK_EQ(machine.OpenHandles(), 0);
    }
}

TEST_CASE("device-node relations that lead back up the tree add no node twice on one path") {
    struct Row {
        const char* what;
        std::function<void(StandardMachine&)> loop;
    } rows[] = {
        {"the disk's removal relations name the device and the disk itself",
         [](StandardMachine& m) {
             m.Node(m.usbDisk).removalRelations.push_back(L"USB\\VID_1234&PID_5678\\QD0001");
             m.Node(m.usbDisk).removalRelations.push_back(L"USBSTOR\\DISK&VEN_QUAY&PROD_DISK&REV_1.00\\QD0001&0");
         }},
        {"a volume's removal relations name the disk",
         [](StandardMachine& m) {
             m.Node(m.volE).removalRelations.push_back(L"USBSTOR\\DISK&VEN_QUAY&PROD_DISK&REV_1.00\\QD0001&0");
         }},
        {"the disk's child is the device",
         [](StandardMachine& m) { m.Node(m.usbDisk).children.push_back(m.usbDevice); }},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        StandardMachine machine;
        row.loop(machine);
        std::vector<CUSBEnumerateExData> devices = Scan(machine);
        REQUIRE_EQ(devices.size(), size_t(2));
        const CUSBEnumerateExData& disk = devices[0];
        CHECK_EQ(disk.nodes.size(), size_t(4));
        std::wstring letters;
        for (auto it = disk.nodes.begin(); it != disk.nodes.end(); ++it) {
            if (it->driveLetter) letters += it->driveLetter;
            // No node repeats one of its ancestors.
            for (auto up = it.node()->parent; up; up = up->parent) CHECK(up->data.deviceInstance != it->deviceInstance);
        }
        CHECK_EQ(letters, std::wstring(L"EF"));
    }
}

TEST_CASE("a sibling chain that leads round, or never ends, stops") {
    StandardMachine circle;
    circle.Node(circle.cardBroken).siblingOverride = circle.cardDisk;
    std::vector<CUSBEnumerateExData> devices = Scan(circle);
    REQUIRE_EQ(devices.size(), size_t(2));
    CHECK_EQ(devices[1].nodes.size(), size_t(4));

    // Many more siblings than any device has: the tree stops at its node limit, with the
    // siblings in the configuration manager's order up to there.
    StandardMachine crowded;
    std::vector<DEVINST> extra;
    for (int n = 0; n < 6000; ++n)
        extra.push_back(crowded.AddNode(crowded.usbDevice, L"USB\\EXTRA\\" + std::to_wstring(n)));
    devices = Scan(crowded);
    REQUIRE_EQ(devices.size(), size_t(2));
    const CUSBEnumerateExData& disk = devices[0];
    CHECK_EQ(disk.nodes.size(), CUSBEnumerateEx::kMaxNodesPerDevice);
    auto children = disk.nodes.begin_children(disk.nodes.begin());
    CHECK_EQ(children->deviceInstance, static_cast<uint32_t>(crowded.usbDisk));
    ++children;
    CHECK_EQ(children->deviceInstance, static_cast<uint32_t>(extra[0]));
    ++children;
    CHECK_EQ(children->deviceInstance, static_cast<uint32_t>(extra[1]));
    CHECK_EQ(devices[1].nodes.size(), size_t(4));  // the next device has a limit of its own
}

TEST_CASE("a node tree deeper than any device's is cut off at the depth limit") {
    StandardMachine machine;
    DEVINST parent = machine.usbDisk;
    for (int n = 0; n < 500; ++n) parent = machine.AddNode(parent, L"USB\\DEEP\\" + std::to_wstring(n));
    std::vector<CUSBEnumerateExData> devices = Scan(machine);
    REQUIRE_EQ(devices.size(), size_t(2));
    CHECK_EQ(MaxDepth(devices[0]), CUSBEnumerateEx::kMaxNodeDepth);
    std::wstring letters;
    for (auto it = devices[0].nodes.begin(); it != devices[0].nodes.end(); ++it) {
        if (it->driveLetter) letters += it->driveLetter;
    }
    CHECK_EQ(letters, std::wstring(L"EF"));  // the disk's own relations are still there
}

TEST_CASE("the driver-key search walks the whole device tree, and ends in one that loops") {
    StandardMachine machine;
    std::vector<CUSBEnumerateExData> devices;
    CUSBEnumerateEx scan(&devices, 3, CUSBEnumerateEx::kCopyToolFlags, machine.Platform());
    machine.SetString(machine.volShadow, CM_DRP_DRIVER, L"{71A27CDD-812A-11D0-BEC7-08002BE2092F}\\0007");
    machine.SetString(machine.fixedDisk, CM_DRP_DRIVER, L"{4D36E967-E325-11CE-BFC1-08002BE10318}\\0000");
    struct Row {
        const char* what;
        std::wstring key;
        DEVINST expected;
    } rows[] = {
        {"deep in the first branch", L"{36FC9E60-C465-11CF-8056-444553540000}\\0010", machine.usbDevice},
        {"ignoring case", L"{36fc9e60-c465-11cf-8056-444553540000}\\0011", machine.cardReader},
        {"the last child of a later branch", L"{71A27CDD-812A-11D0-BEC7-08002BE2092F}\\0007", machine.volShadow},
        {"the root's last child", L"{4D36E967-E325-11CE-BFC1-08002BE10318}\\0000", machine.fixedDisk},
        {"nowhere", L"{4D36E967-E325-11CE-BFC1-08002BE10318}\\9999", 0},
        {"an empty key", L"", 0},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(scan.FindDeviceNodeByDriverKey(row.key), row.expected);
    }

    // A node whose sibling is itself would keep the search going round for ever.
    StandardMachine looping;
    looping.Node(looping.volC).siblingOverride = looping.volC;
    CUSBEnumerateEx loopingScan(&devices, 3, CUSBEnumerateEx::kCopyToolFlags, looping.Platform());
    CHECK_EQ(loopingScan.FindDeviceNodeByDriverKey(L"{NOWHERE}\\0000"), 0ul);
    CHECK(looping.propertyQueries <= static_cast<int>(CUSBEnumerateEx::kMaxDeviceTreeSteps));
}

TEST_CASE("node values are read whole up to their real size, and oversized claims are not believed") {
    StandardMachine machine;
    std::vector<CUSBEnumerateExData> devices;
    CUSBEnumerateEx scan(&devices, 3, 0x3FF00, machine.Platform());

    // The longest device ID the platform allows, and a friendly name beyond 400 bytes.
    const std::wstring longId = L"USB\\VID_1234&PID_5678\\" + std::wstring(200 - 22, L'X');
    REQUIRE_EQ(longId.size(), size_t(MAX_DEVICE_ID_LEN));
    DEVINST longNode = machine.AddNode(machine.Root(), longId);
    const std::wstring longName(300, L'名');
    machine.SetString(longNode, CM_DRP_FRIENDLYNAME, longName);
    // A description whose reported size is far beyond any real one.
    machine.SetString(longNode, CM_DRP_DEVICEDESC, L"claimed");
    machine.Node(longNode).properties[CM_DRP_DEVICEDESC].claimedLength = 0x7FFFFFF0;
    // Filter lists without their final terminators ("a", "bc"), one with an odd byte
    // count, and a string without its terminator.
    machine.Node(longNode).properties[CM_DRP_UPPERFILTERS] = {REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 'c', 0}, 0};
    machine.Node(longNode).properties[CM_DRP_LOWERFILTERS] = {REG_MULTI_SZ, {'x', 0, 'y', 0, 'z'}, 0};
    machine.Node(longNode).properties[CM_DRP_CLASSGUID] = {REG_SZ, {'{', 0, '1', 0, '}'}, 0};

    Marlin::CUSBEnumerateExTreeData data;
    data.description = L"kept";
    scan.FillNode(longNode, data);
    CHECK_EQ(data.deviceId, longId);
    CHECK_EQ(data.friendlyName, longName);
    CHECK_EQ(data.description, std::wstring(L"kept"));
    CHECK(data.upperFilters == std::vector<std::wstring>({L"a", L"bc"}));
    CHECK(data.lowerFilters == std::vector<std::wstring>({L"xy"}));
    CHECK_EQ(data.classGuid, std::wstring(L"{1"));
    CHECK_EQ(data.deviceInstance, static_cast<uint32_t>(longNode));

    // A value exactly as large as the limit is still read.
    const std::wstring large(Marlin::kMaxPropertyBytes / sizeof(wchar_t) - 1, L'v');
    machine.SetString(longNode, CM_DRP_ENUMERATOR_NAME, large);
    scan.FillNode(longNode, data);
    CHECK_EQ(data.enumeratorName, large);
}

TEST_CASE("a node without a readable device ID takes no drive letter") {
    // D:'s volume has an interface without a device node, so its record has no device ID;
    // the card reader's second function has no readable ID either. Equal emptiness is no
    // match.
    StandardMachine machine;
    std::vector<CUSBEnumerateExData> devices;
    CUSBEnumerateEx scan(&devices, 3, CUSBEnumerateEx::kCopyToolFlags, machine.Platform());
    scan.Enumerate();
    bool dHasNoId = false;
    for (const CVolumeEnumerateData& v : scan.GetVolumes()) dHasNoId |= v.driveLetter == L'D' && v.deviceId.empty();
    REQUIRE(dHasNoId);
    Marlin::CUSBEnumerateExTreeData data;
    scan.FillNode(machine.cardBroken, data);
    CHECK(data.deviceId.empty());
    CHECK_EQ(data.driveLetter, L'\0');
}
