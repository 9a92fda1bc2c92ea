#include "FakeMachine.h"

#include <algorithm>
#include <cstring>

#include "CUSBIoControl.h"

using Marlin::CUSBIoControl;

namespace devicetest {

namespace {

template <class T>
void Put(uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof(value));
}

template <class T>
T Get(const uint8_t* at) {
    T value{};
    std::memcpy(&value, at, sizeof(value));
    return value;
}

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

// The drivers' name records: [ConnectionIndex] ActualLength Name. A buffer too small for
// the whole record gets ActualLength and an empty name, and the call still succeeds.
bool WriteName(const std::vector<uint8_t>& in, bool hasIndex, const std::wstring& name, uint8_t* out, DWORD outSize,
               DWORD& returned) {
    const DWORD nameOffset = hasIndex ? 8 : 4;
    if (hasIndex && in.size() < 4) return Fail(ERROR_INVALID_PARAMETER);
    if (outSize < nameOffset + 2) return Fail(ERROR_INSUFFICIENT_BUFFER);
    const ULONG actual = static_cast<ULONG>(nameOffset + (name.size() + 1) * sizeof(wchar_t));
    std::memset(out, 0, outSize);
    if (hasIndex) std::memcpy(out, in.data(), 4);
    Put<ULONG>(out + nameOffset - 4, actual);
    if (outSize >= actual) {
        std::memcpy(out + nameOffset, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        returned = actual;
    } else {
        returned = nameOffset + 2;
    }
    return true;
}

}  // namespace

std::wstring Upper(const std::wstring& text) {
    std::wstring upper = text;
    for (wchar_t& c : upper) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return upper;
}

FakeMachine::FakeMachine() { root_ = AddNode(0, L"HTREE\\ROOT\\0"); }

FakeMachine::~FakeMachine() = default;

// --- USB drivers

void FakeMachine::AddController(const std::wstring& path, const std::wstring& driverKey,
                                const std::wstring& rootHubName) {
    controllers_[Upper(path)] = Controller{driverKey, rootHubName};
}

FakeHub& FakeMachine::AddHub(const std::wstring& name) { return hubs_[Upper(L"\\\\.\\" + name)]; }

FakeHub& FakeMachine::Hub(const std::wstring& name) { return hubs_.at(Upper(L"\\\\.\\" + name)); }

void FakeMachine::ScriptControl(const std::wstring& path, ControlScript script) {
    scripts_[Upper(path)] = std::move(script);
}

int FakeMachine::OpenCount(const std::wstring& path) const {
    auto it = opens_.find(Upper(path));
    return it == opens_.end() ? 0 : it->second;
}

int FakeMachine::ControlCount(const std::wstring& path, DWORD code) const {
    auto it = controls_.find({Upper(path), code});
    return it == controls_.end() ? 0 : it->second;
}

int FakeMachine::OpenHandles() const {
    std::vector<HANDLE> unique = handedOut_;
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    int open = 0;
    for (HANDLE h : unique) {
        DWORD flags = 0;
        if (GetHandleInformation(h, &flags)) ++open;
    }
    return open;
}

Marlin::FileHandle FakeMachine::Open(const std::wstring& path) {
    const std::wstring key = Upper(path);
    ++opens_[key];
    if (!controllers_.count(key) && !hubs_.count(key) && !scripts_.count(key)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return Marlin::FileHandle();
    }
    // A real kernel object stands for the device, so the callers' owners really close it.
    HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    handlePaths_[h] = key;
    handedOut_.push_back(h);
    return Marlin::FileHandle(h);
}

bool FakeMachine::Control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                          DWORD& returned) {
    returned = 0;
    auto path = handlePaths_.find(device);
    if (path == handlePaths_.end()) return Fail(ERROR_INVALID_HANDLE);
    DWORD flags = 0;
    if (!GetHandleInformation(device, &flags)) return Fail(ERROR_INVALID_HANDLE);
    ++controls_[{path->second, code}];
    // The drivers read the whole input before they write the output; the two often share
    // one buffer.
    std::vector<uint8_t> input(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + (in ? inSize : 0));
    auto* output = static_cast<uint8_t*>(out);

    auto script = scripts_.find(path->second);
    if (script != scripts_.end()) {
        std::optional<bool> answer =
            script->second(code, input.data(), static_cast<DWORD>(input.size()), output, outSize, returned);
        if (answer) return *answer;
    }
    auto controller = controllers_.find(path->second);
    if (controller != controllers_.end())
        return ControlController(controller->second, code, input.data(), static_cast<DWORD>(input.size()), output,
                                 outSize, returned);
    auto hub = hubs_.find(path->second);
    if (hub != hubs_.end())
        return ControlHub(hub->second, code, input.data(), static_cast<DWORD>(input.size()), output, outSize, returned);
    return Fail(ERROR_INVALID_FUNCTION);
}

bool FakeMachine::ControlController(const Controller& controller, DWORD code, const uint8_t* in, DWORD inSize,
                                    uint8_t* out, DWORD outSize, DWORD& returned) {
    std::vector<uint8_t> input(in, in + inSize);
    if (code == CUSBIoControl::kGetHcdDriverKeyName)
        return WriteName(input, false, controller.driverKey, out, outSize, returned);
    if (code == CUSBIoControl::kGetRootHubName)
        return WriteName(input, false, controller.rootHubName, out, outSize, returned);
    return Fail(ERROR_INVALID_FUNCTION);
}

bool FakeMachine::ControlHub(const FakeHub& hub, DWORD code, const uint8_t* in, DWORD inSize, uint8_t* out,
                             DWORD outSize, DWORD& returned) {
    std::vector<uint8_t> input(in, in + inSize);
    if (code == CUSBIoControl::kGetNodeInformation) {
        if (hub.nodeInformationFails) return Fail(ERROR_GEN_FAILURE);
        USB_NODE_INFORMATION node{};
        if (outSize < sizeof(node)) return Fail(ERROR_INSUFFICIENT_BUFFER);
        node.NodeType = UsbHub;
        node.u.HubInformation.HubDescriptor.bDescriptorLength = 9;
        node.u.HubInformation.HubDescriptor.bDescriptorType = 0x29;
        node.u.HubInformation.HubDescriptor.bNumberOfPorts = static_cast<UCHAR>(hub.ports.size());
        std::memcpy(out, &node, sizeof(node));
        returned = sizeof(node);
        return true;
    }

    if (input.size() < 4) return Fail(ERROR_INVALID_PARAMETER);
    const ULONG index = Get<ULONG>(input.data());
    if (index == 0 || index > hub.ports.size()) return Fail(ERROR_INVALID_PARAMETER);
    const FakePort& port = hub.ports[index - 1];

    switch (code) {
    case CUSBIoControl::kGetNodeConnectionInformationEx:
    case CUSBIoControl::kGetNodeConnectionInformation: {
        const bool extended = code == CUSBIoControl::kGetNodeConnectionInformationEx;
        if (extended && port.onlyPlainInformation) return Fail(ERROR_INVALID_FUNCTION);
        USB_NODE_CONNECTION_INFORMATION_EX info{};
        if (outSize < sizeof(info)) return Fail(ERROR_INSUFFICIENT_BUFFER);
        info.ConnectionIndex = index;
        info.DeviceDescriptor = port.descriptor;
        info.Speed = extended ? port.speed : static_cast<UCHAR>(port.speed == UsbLowSpeed);
        info.DeviceIsHub = port.isHub;
        info.ConnectionStatus = port.status;
        std::memcpy(out, &info, sizeof(info));
        returned = sizeof(info);
        return true;
    }
    case CUSBIoControl::kGetNodeConnectionDriverKeyName:
        if (port.driverKey.empty()) return Fail(ERROR_GEN_FAILURE);
        return WriteName(input, true, port.driverKey, out, outSize, returned);
    case CUSBIoControl::kGetNodeConnectionName:
        if (!port.isHub || port.hubName.empty()) return Fail(ERROR_GEN_FAILURE);
        return WriteName(input, true, port.hubName, out, outSize, returned);
    case CUSBIoControl::kGetDescriptorFromNodeConnection: {
        if (port.stringsFail || input.size() < 12) return Fail(ERROR_GEN_FAILURE);
        const USHORT wValue = Get<USHORT>(input.data() + 6);
        const USHORT wIndex = Get<USHORT>(input.data() + 8);
        const USHORT wLength = Get<USHORT>(input.data() + 10);
        if ((wValue >> 8) != 3) return Fail(ERROR_GEN_FAILURE);
        const UCHAR stringIndex = static_cast<UCHAR>(wValue & 0xFF);
        std::vector<uint8_t> descriptor{0, 3};
        if (stringIndex == 0) {
            for (USHORT language : port.languages) {
                descriptor.push_back(static_cast<uint8_t>(language & 0xFF));
                descriptor.push_back(static_cast<uint8_t>(language >> 8));
            }
        } else {
            auto text = port.strings.find(stringIndex);
            if (text == port.strings.end()) return Fail(ERROR_GEN_FAILURE);
            if (std::find(port.languages.begin(), port.languages.end(), wIndex) == port.languages.end())
                return Fail(ERROR_GEN_FAILURE);
            for (wchar_t c : text->second) {
                descriptor.push_back(static_cast<uint8_t>(c & 0xFF));
                descriptor.push_back(static_cast<uint8_t>(c >> 8));
            }
        }
        if (descriptor.size() > 254) descriptor.resize(254);
        if (descriptor.size() > wLength) descriptor.resize(wLength & ~1u);
        descriptor[0] = static_cast<uint8_t>(descriptor.size());
        if (outSize < 12 + descriptor.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
        std::memcpy(out, input.data(), 12);
        std::memcpy(out + 12, descriptor.data(), descriptor.size());
        returned = static_cast<DWORD>(12 + descriptor.size());
        return true;
    }
    default:
        return Fail(ERROR_INVALID_FUNCTION);
    }
}

// --- configuration manager

DEVINST FakeMachine::AddNode(DEVINST parent, const std::wstring& id) {
    const DEVINST node = nextNode_++;
    FakeNode& data = nodes_[node];
    data.id = id;
    data.parent = parent;
    if (parent) nodes_.at(parent).children.push_back(node);
    return node;
}

FakeNode& FakeMachine::Node(DEVINST node) { return nodes_.at(node); }

void FakeMachine::SetString(DEVINST node, ULONG property, const std::wstring& text) {
    FakeProperty& p = Node(node).properties[property];
    p.type = REG_SZ;
    p.bytes.resize((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(p.bytes.data(), text.c_str(), p.bytes.size());
}

void FakeMachine::SetMultiString(DEVINST node, ULONG property, const std::vector<std::wstring>& strings) {
    std::wstring chars;
    for (const std::wstring& s : strings) chars += s + L'\0';
    chars += L'\0';
    FakeProperty& p = Node(node).properties[property];
    p.type = REG_MULTI_SZ;
    p.bytes.resize(chars.size() * sizeof(wchar_t));
    std::memcpy(p.bytes.data(), chars.data(), p.bytes.size());
}

const FakeNode* FakeMachine::Find(DEVINST node) const {
    auto it = nodes_.find(node);
    return it == nodes_.end() ? nullptr : &it->second;
}

CONFIGRET FakeMachine::LocateDevNode(DEVINST* node, const wchar_t* deviceId) {
    if (!deviceId) {
        if (!rootLocatable) return CR_FAILURE;
        *node = root_;
        return CR_SUCCESS;
    }
    const std::wstring wanted = Upper(deviceId);
    for (const auto& [instance, data] : nodes_) {
        if (!data.idFails && Upper(data.id) == wanted) {
            *node = instance;
            return CR_SUCCESS;
        }
    }
    return CR_NO_SUCH_DEVNODE;
}

CONFIGRET FakeMachine::GetChild(DEVINST* child, DEVINST node) {
    const FakeNode* n = Find(node);
    if (!n) return CR_INVALID_DEVNODE;
    if (n->children.empty()) return CR_NO_SUCH_DEVNODE;
    *child = n->children.front();
    return CR_SUCCESS;
}

CONFIGRET FakeMachine::GetSibling(DEVINST* sibling, DEVINST node) {
    ++siblingQueries;
    const FakeNode* n = Find(node);
    if (!n) return CR_INVALID_DEVNODE;
    if (n->siblingOverride) {
        *sibling = n->siblingOverride;
        return CR_SUCCESS;
    }
    const FakeNode* p = Find(n->parent);
    if (!p) return CR_NO_SUCH_DEVNODE;
    auto it = std::find(p->children.begin(), p->children.end(), node);
    if (it == p->children.end() || ++it == p->children.end()) return CR_NO_SUCH_DEVNODE;
    *sibling = *it;
    return CR_SUCCESS;
}

CONFIGRET FakeMachine::GetParent(DEVINST* parent, DEVINST node) {
    const FakeNode* n = Find(node);
    if (!n) return CR_INVALID_DEVNODE;
    if (!n->parent) return CR_NO_SUCH_DEVNODE;
    *parent = n->parent;
    return CR_SUCCESS;
}

CONFIGRET FakeMachine::GetDeviceId(DEVINST node, wchar_t* buffer, ULONG bufferChars) {
    const FakeNode* n = Find(node);
    if (!n) return CR_INVALID_DEVNODE;
    if (n->idFails) return CR_FAILURE;
    if (bufferChars < n->id.size() + 1) return CR_BUFFER_SMALL;
    std::memcpy(buffer, n->id.c_str(), (n->id.size() + 1) * sizeof(wchar_t));
    return CR_SUCCESS;
}

CONFIGRET FakeMachine::GetRegistryProperty(DEVINST node, ULONG property, ULONG* type, void* buffer, ULONG* length) {
    ++propertyQueries;
    const FakeNode* n = Find(node);
    if (!n) return CR_INVALID_DEVNODE;
    auto it = n->properties.find(property);
    if (it == n->properties.end()) return CR_NO_SUCH_VALUE;
    const FakeProperty& p = it->second;
    const ULONG size = static_cast<ULONG>(p.bytes.size());
    const ULONG needed = p.claimedLength ? p.claimedLength : size;
    if (!buffer || *length < needed) {
        *length = needed;
        return CR_BUFFER_SMALL;
    }
    std::memcpy(buffer, p.bytes.data(), size);
    *length = size;
    if (type) *type = p.type;
    return CR_SUCCESS;
}

CONFIGRET FakeMachine::GetStatus(ULONG* status, ULONG* problem, DEVINST node) {
    const FakeNode* n = Find(node);
    if (!n) return CR_INVALID_DEVNODE;
    *status = n->status;
    *problem = n->problem;
    return CR_SUCCESS;
}

namespace {

std::wstring MultiString(const std::vector<std::wstring>& strings) {
    std::wstring chars;
    for (const std::wstring& s : strings) chars += s + L'\0';
    chars += L'\0';
    return chars;
}

}  // namespace

CONFIGRET FakeMachine::GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) {
    if (flags != CM_GETIDLIST_FILTER_REMOVALRELATIONS || !filter) return CR_INVALID_FLAG;
    DEVINST node = 0;
    if (LocateDevNode(&node, filter) != CR_SUCCESS) return CR_INVALID_DEVICE_ID;
    *chars = static_cast<ULONG>(MultiString(Node(node).removalRelations).size());
    return CR_SUCCESS;
}

CONFIGRET FakeMachine::GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG bufferChars, ULONG flags) {
    if (flags != CM_GETIDLIST_FILTER_REMOVALRELATIONS || !filter) return CR_INVALID_FLAG;
    DEVINST node = 0;
    if (LocateDevNode(&node, filter) != CR_SUCCESS) return CR_INVALID_DEVICE_ID;
    const std::wstring chars = MultiString(Node(node).removalRelations);
    if (bufferChars < chars.size()) return CR_BUFFER_SMALL;
    std::memcpy(buffer, chars.data(), chars.size() * sizeof(wchar_t));
    return CR_SUCCESS;
}

// --- Setup API and mount manager

void FakeMachine::AddInterface(const GUID& interfaceClass, const std::wstring& devicePath, DEVINST devInst) {
    interfaces_.push_back({interfaceClass, Entry{devicePath, devInst, {}}});
}

std::vector<Marlin::IDeviceInterfaces::Entry> FakeMachine::List(const GUID& interfaceClass) {
    std::vector<Entry> found;
    for (const auto& [guid, entry] : interfaces_) {
        if (!IsEqualGUID(guid, interfaceClass)) continue;
        found.push_back(entry);
        const FakeNode* node = entry.devInst ? Find(entry.devInst) : nullptr;
        if (node && !node->idFails) found.back().deviceId = node->id;
    }
    return found;
}

void FakeMachine::AddMountPoint(const std::wstring& mountPoint, const std::wstring& volumeName) {
    mountPoints_[Upper(mountPoint)] = volumeName;
}

void FakeMachine::FailMountPoint(const std::wstring& mountPoint) { failingMountPoints_.push_back(Upper(mountPoint)); }

bool FakeMachine::QueryVolumeName(const wchar_t* mountPoint, wchar_t* volumeName, DWORD chars) {
    const std::wstring key = Upper(mountPoint);
    mountPointQueries_.push_back(mountPoint);
    if (std::find(failingMountPoints_.begin(), failingMountPoints_.end(), key) != failingMountPoints_.end())
        return Fail(ERROR_INVALID_PARAMETER);
    auto it = mountPoints_.find(key);
    if (it == mountPoints_.end()) return Fail(ERROR_FILE_NOT_FOUND);
    if (chars < it->second.size() + 1) return Fail(ERROR_FILENAME_EXCED_RANGE);
    std::memcpy(volumeName, it->second.c_str(), (it->second.size() + 1) * sizeof(wchar_t));
    return true;
}

}  // namespace devicetest
