#include "CUSBEnumerateBase.h"

#include <algorithm>
#include <cwchar>

#include "DeviceStrings.h"

namespace Marlin {

namespace {

// GUID_DEVINTERFACE_USB_HOST_CONTROLLER
const GUID kHostControllerInterface = {0x3ABF6F2D, 0x71C4, 0x462A, {0x8A, 0x92, 0x1E, 0x68, 0x61, 0xE6, 0xAF, 0x27}};

constexpr int kNamedControllers = 10;

}  // namespace

CUSBEnumerateBase::CUSBEnumerateBase(uint32_t discoveryFlags, const Marlin::DevicePlatform& platform)
    : platform_(platform), discoveryFlags_(discoveryFlags) {}

CUSBEnumerateBase::~CUSBEnumerateBase() = default;

void CUSBEnumerateBase::Enumerate() {
    seenControllers_.clear();
    hubChain_.clear();
    if (discoveryFlags_ & kDiscoverByName) EnumerateHostControllersByName();
    if (discoveryFlags_ & kDiscoverByInterface) EnumerateHostControllersByInterface();
}

void CUSBEnumerateBase::EnumerateHostControllersByName() {
    for (int n = 0; n < kNamedControllers; ++n) {
        wchar_t name[32] = {};
        swprintf(name, 32, L"\\\\.\\HCD%d", n);
        OpenHostController(name);
    }
}

void CUSBEnumerateBase::EnumerateHostControllersByInterface() {
    for (const Marlin::IDeviceInterfaces::Entry& entry : platform_.Interfaces().List(kHostControllerInterface))
        OpenHostController(entry.devicePath);
}

void CUSBEnumerateBase::OpenHostController(const std::wstring& path) {
    bool isNew = false;
    {
        CUSBIoControl controller(platform_.Io());
        if (!controller.Open(path)) return;
        std::wstring key;
        if (controller.GetHcdDriverKeyName(key)) {
            key = Marlin::ToUpperCase(key);
            if (std::find(seenControllers_.begin(), seenControllers_.end(), key) == seenControllers_.end()) {
                seenControllers_.push_back(key);
                isNew = true;
            }
        }
    }
    // The controller's handle is closed before its hubs are opened.
    if (isNew) EnumerateRootHub(path);
}

void CUSBEnumerateBase::EnumerateRootHub(const std::wstring& controllerPath) {
    std::wstring rootHubName;
    {
        CUSBIoControl controller(platform_.Io());
        if (!controller.Open(controllerPath)) return;
        if (!controller.GetRootHubName(rootHubName)) return;
    }
    EnumerateHub(rootHubName);
}

void CUSBEnumerateBase::EnumerateHub(const std::wstring& hubName) {
    // The hub driver names each downstream hub; a name already on the chain would lead
    // round in a circle, and a chain longer than USB allows is not a real one.
    const std::wstring key = Marlin::ToUpperCase(hubName);
    if (hubChain_.size() >= kMaxHubChain) return;
    if (std::find(hubChain_.begin(), hubChain_.end(), key) != hubChain_.end()) return;

    CUSBIoControl hub(platform_.Io());
    if (!hub.Open(L"\\\\.\\" + hubName)) return;
    USB_NODE_INFORMATION node{};
    DWORD returned = 0;
    static_assert(sizeof(node) == 76, "USB_NODE_INFORMATION is 76 bytes");
    if (!hub.IoControl(CUSBIoControl::kGetNodeInformation, &node, sizeof(node), &node, sizeof(node), returned)) return;

    struct ChainEntry {
        std::vector<std::wstring>& chain;
        ChainEntry(std::vector<std::wstring>& c, const std::wstring& name) : chain(c) { chain.push_back(name); }
        ~ChainEntry() { chain.pop_back(); }
    } onChain(hubChain_, key);
    // bNumberOfPorts is one byte, so the walk is bounded whatever the hub reports.
    const ULONG ports = node.u.HubInformation.HubDescriptor.bNumberOfPorts;
    for (ULONG port = 1; port <= ports; ++port) EnumeratePort(hub, port);
}

void CUSBEnumerateBase::EnumeratePort(CUSBIoControl& hub, ULONG port) {
    CUSBIoControl::ConnectionInformation info;
    if (!hub.GetNodeConnectionInformation(port, info)) return;
    if (info.header.DeviceIsHub)
        EnumerateExternalHub(hub, port, info);
    else
        OnDevice(hub, port, info);
}

void CUSBEnumerateBase::EnumerateExternalHub(CUSBIoControl& hub, ULONG port,
                                             const CUSBIoControl::ConnectionInformation& info) {
    std::wstring name;
    if (!hub.GetNodeConnectionName(port, name)) return;
    EnumerateHub(name);
}

void CUSBEnumerateBase::OnDevice(CUSBIoControl& hub, ULONG port, const CUSBIoControl::ConnectionInformation& info) {}

}  // namespace Marlin
