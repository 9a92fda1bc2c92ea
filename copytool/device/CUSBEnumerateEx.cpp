#include "CUSBEnumerateEx.h"

#include "CVolumeEnumerate.h"
#include "DeviceStrings.h"

namespace Marlin {

namespace {

// A removal-relations list names a handful of volumes; a longer claim is not believed.
constexpr ULONG kMaxRelationListChars = 0x10000;

}  // namespace

CUSBEnumerateEx::CUSBEnumerateEx(std::vector<CUSBEnumerateExData>* results, uint32_t discoveryFlags,
                                 uint32_t collectionFlags, const DevicePlatform& platform)
    : CUSBEnumerateBase(discoveryFlags, platform), results_(results), collectionFlags_(collectionFlags) {}

CUSBEnumerateEx::~CUSBEnumerateEx() = default;

void CUSBEnumerateEx::Enumerate() {
    CVolumeEnumerate volumes(&volumes_, Platform());
    volumes.Enumerate();
    if (results_) results_->clear();
    CUSBEnumerateBase::Enumerate();
}

void CUSBEnumerateEx::OnDevice(CUSBIoControl& hub, ULONG port, const CUSBIoControl::ConnectionInformation& info) {
    if (info.header.ConnectionStatus != DeviceConnected) return;

    const uint32_t flags = collectionFlags_;
    const USB_DEVICE_DESCRIPTOR& descriptor = info.header.DeviceDescriptor;
    CUSBEnumerateExData record;
    if (flags & kCollectVendorId) record.vendorId = descriptor.idVendor;
    if (flags & kCollectProductId) record.productId = descriptor.idProduct;
    if (flags & kCollectUsbVersion) record.usbVersion = descriptor.bcdUSB;
    if (flags & kCollectSpeed) record.speed = info.header.Speed;

    struct StringField {
        uint32_t flag;
        UCHAR index;
        std::wstring* field;
    } const strings[] = {
        {kCollectManufacturer, descriptor.iManufacturer, &record.manufacturer},
        {kCollectProduct, descriptor.iProduct, &record.product},
        {kCollectSerialNumber, descriptor.iSerialNumber, &record.serialNumber},
    };
    bool wantsString = false;
    for (const StringField& s : strings) wantsString |= (flags & s.flag) && s.index != 0;
    std::vector<USHORT> languages;
    if (wantsString && hub.GetLanguageIds(port, languages) && !languages.empty()) {
        for (const StringField& s : strings) {
            if ((flags & s.flag) && s.index != 0) hub.GetString(port, s.index, languages.front(), *s.field);
        }
    }

    std::wstring driverKey;
    if (!hub.GetNodeConnectionDriverKeyName(port, driverKey)) return;
    if (flags & kNodeFlags) BuildNodeTree(FindDeviceNodeByDriverKey(driverKey), record);
    AddDevice(record);
}

void CUSBEnumerateEx::BuildNodeTree(DEVINST device, CUSBEnumerateExData& record) {
    NodeTree::iterator root = record.nodes.set_head(CUSBEnumerateExTreeData());
    nodesInTree_ = 1;
    AddNodeSubtree(device, false, record.nodes, root);
}

bool CUSBEnumerateEx::IsOnPath(DEVINST device, const NodeTree::iterator_base& node) {
    for (const NodeTree::node_type* n = node.node(); n; n = n->parent) {
        if (n->data.deviceInstance == device) return true;
    }
    return false;
}

CUSBEnumerateEx::NodeTree::iterator CUSBEnumerateEx::AppendNode(DEVINST device, NodeTree& nodes,
                                                                const NodeTree::iterator_base& parent) {
    if (device == 0 || nodesInTree_ >= kMaxNodesPerDevice) return nodes.end();
    if (parent.depth() + 1 > kMaxNodeDepth) return nodes.end();
    // A relation back to a node on the way down would repeat that subtree forever.
    if (IsOnPath(device, parent)) return nodes.end();
    CUSBEnumerateExTreeData data;
    data.deviceInstance = device;
    ++nodesInTree_;
    return nodes.append_child(parent, std::move(data));
}

void CUSBEnumerateEx::AddNodeSubtree(DEVINST device, bool walkSiblings, NodeTree& nodes, NodeTree::iterator node) {
    IConfigManager& configManager = Platform().ConfigManager();
    // Siblings are taken in a loop rather than one call deeper each, so a node with many
    // children costs no stack; the order of the appended nodes is the same.
    DEVINST current = device;
    NodeTree::iterator at = node;
    for (;;) {
        FillNode(current, *at);
        if (current == 0) return;

        DEVINST child = 0;
        if (configManager.GetChild(&child, current) == CR_SUCCESS) {
            NodeTree::iterator childNode = AppendNode(child, nodes, at);
            if (childNode != nodes.end()) AddNodeSubtree(child, true, nodes, childNode);
        }

        // The volumes of a USB disk are not its children but its removal relations.
        std::wstring id;
        ULONG chars = 0;
        if (ReadDeviceId(configManager, current, id) &&
            configManager.GetDeviceIdListSize(&chars, id.c_str(), CM_GETIDLIST_FILTER_REMOVALRELATIONS) == CR_SUCCESS &&
            chars != 0 && chars <= kMaxRelationListChars) {
            // Two spare terminators, whatever the list holds.
            std::vector<wchar_t> list(chars + 2, L'\0');
            if (configManager.GetDeviceIdList(id.c_str(), list.data(), chars, CM_GETIDLIST_FILTER_REMOVALRELATIONS) ==
                CR_SUCCESS) {
                for (const std::wstring& relatedId : MultiStringFromChars(list.data(), chars)) {
                    DEVINST related = 0;
                    if (configManager.LocateDevNode(&related, relatedId.c_str()) != CR_SUCCESS) continue;
                    NodeTree::iterator relatedNode = AppendNode(related, nodes, at);
                    if (relatedNode != nodes.end()) AddNodeSubtree(related, false, nodes, relatedNode);
                }
            }
        }

        if (!walkSiblings) return;
        NodeTree::node_type* parent = at.node()->parent;
        DEVINST sibling = 0;
        if (!parent || configManager.GetSibling(&sibling, current) != CR_SUCCESS) return;
        // A sibling already among the parent's children means the chain leads round.
        for (const NodeTree::node_type* c = parent->first_child; c; c = c->next_sibling) {
            if (c->data.deviceInstance == sibling) return;
        }
        NodeTree::iterator next = AppendNode(sibling, nodes, NodeTree::iterator(parent));
        if (next == nodes.end()) return;
        current = sibling;
        at = next;
    }
}

void CUSBEnumerateEx::FillNode(DEVINST device, CUSBEnumerateExTreeData& data) {
    const uint32_t flags = collectionFlags_;
    data.deviceInstance = device;
    if (device == 0) return;
    IConfigManager& configManager = Platform().ConfigManager();

    if (flags & (kCollectDriveLetters | kCollectDeviceIds)) ReadDeviceId(configManager, device, data.deviceId);
    // An ID that could not be read matches nothing: volumes whose device was not found
    // have empty IDs too, and must not lend their letters to an unknown node.
    if ((flags & kCollectDriveLetters) && !data.deviceId.empty()) {
        for (const CVolumeEnumerateData& volume : volumes_) {
            if (!volume.deviceId.empty() && EqualsIgnoreCase(volume.deviceId, data.deviceId))
                data.driveLetter = volume.driveLetter;
        }
    }
    if (flags & kCollectEnumeratorNames) ReadStringProperty(device, CM_DRP_ENUMERATOR_NAME, data.enumeratorName);
    if (flags & kCollectDescriptions) ReadStringProperty(device, CM_DRP_DEVICEDESC, data.description);
    if (flags & kCollectFriendlyNames) ReadStringProperty(device, CM_DRP_FRIENDLYNAME, data.friendlyName);
    if (flags & kCollectClassGuids) ReadStringProperty(device, CM_DRP_CLASSGUID, data.classGuid);
    if (flags & kCollectUpperFilters) ReadMultiStringProperty(device, CM_DRP_UPPERFILTERS, data.upperFilters);
    if (flags & kCollectLowerFilters) ReadMultiStringProperty(device, CM_DRP_LOWERFILTERS, data.lowerFilters);
    if (flags & kCollectStatus) {
        ULONG status = 0;
        ULONG problem = 0;
        if (configManager.GetStatus(&status, &problem, device) == CR_SUCCESS) {
            data.status = status;
            if (flags & kCollectProblems) data.problem = problem;
        }
    }
}

void CUSBEnumerateEx::AddDevice(const CUSBEnumerateExData& record) {
    if (results_) results_->push_back(record);
}

DEVINST CUSBEnumerateEx::FindDeviceNodeByDriverKey(const std::wstring& key) {
    if (key.empty()) return 0;
    IConfigManager& configManager = Platform().ConfigManager();
    DEVINST node = 0;
    if (configManager.LocateDevNode(&node, nullptr) != CR_SUCCESS) return 0;

    // Depth first without a stack: down to the first child, else on to the next sibling,
    // else up until a node has one. Every step counts against the limit, so relations
    // that lead round end the search instead of spinning.
    size_t steps = 0;
    while (++steps <= kMaxDeviceTreeSteps) {
        std::vector<uint8_t> bytes;
        if (ReadPropertyBytes(configManager, node, CM_DRP_DRIVER, bytes) &&
            EqualsIgnoreCase(StringFromBytes(bytes), key))
            return node;
        DEVINST next = 0;
        if (configManager.GetChild(&next, node) == CR_SUCCESS) {
            node = next;
            continue;
        }
        for (;;) {
            if (configManager.GetSibling(&next, node) == CR_SUCCESS) {
                node = next;
                break;
            }
            if (configManager.GetParent(&next, node) != CR_SUCCESS) return 0;
            node = next;
            if (++steps > kMaxDeviceTreeSteps) return 0;
        }
    }
    return 0;
}

bool CUSBEnumerateEx::ReadStringProperty(DEVINST device, ULONG property, std::wstring& text) {
    std::vector<uint8_t> bytes;
    if (!ReadPropertyBytes(Platform().ConfigManager(), device, property, bytes)) return false;
    text = StringFromBytes(bytes);
    return true;
}

bool CUSBEnumerateEx::ReadMultiStringProperty(DEVINST device, ULONG property, std::vector<std::wstring>& strings) {
    std::vector<uint8_t> bytes;
    if (!ReadPropertyBytes(Platform().ConfigManager(), device, property, bytes)) return false;
    strings = MultiStringFromBytes(bytes);
    return true;
}

}  // namespace Marlin
