// The USB scan that records what it finds: for every connected device a
// CUSBEnumerateExData with the descriptor fields the collection flags ask for and, when a
// node flag is set, the tree of device nodes below the device's own node. A node that is
// a volume with a drive letter carries that letter, which is how a drive is recognised as
// lying on a USB device.
#pragma once

#include <windows.h>
#include <cfgmgr32.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CUSBEnumerateBase.h"
#include "CUSBEnumerateExData.h"
#include "CVolumeEnumerateData.h"

namespace Marlin {

class CUSBEnumerateEx : public CUSBEnumerateBase {
public:
    // Collection flags: which fields of a device record are filled.
    static constexpr uint32_t kCollectVendorId = 0x1;
    static constexpr uint32_t kCollectProductId = 0x2;
    static constexpr uint32_t kCollectManufacturer = 0x4;
    static constexpr uint32_t kCollectProduct = 0x8;
    static constexpr uint32_t kCollectSerialNumber = 0x10;
    static constexpr uint32_t kCollectUsbVersion = 0x20;
    static constexpr uint32_t kCollectSpeed = 0x40;
    static constexpr uint32_t kCollectDriveLetters = 0x100;  // node device IDs as well
    static constexpr uint32_t kCollectDeviceIds = 0x200;
    static constexpr uint32_t kCollectEnumeratorNames = 0x400;
    static constexpr uint32_t kCollectFriendlyNames = 0x800;
    static constexpr uint32_t kCollectDescriptions = 0x1000;
    static constexpr uint32_t kCollectClassGuids = 0x2000;
    static constexpr uint32_t kCollectStatus = 0x4000;
    static constexpr uint32_t kCollectProblems = 0x8000;  // only together with kCollectStatus
    static constexpr uint32_t kCollectLowerFilters = 0x10000;
    static constexpr uint32_t kCollectUpperFilters = 0x20000;
    static constexpr uint32_t kNodeFlags = 0x3FF00;  // any of these builds the node tree
    // USB version, device IDs with drive letters, descriptions: what the copy tool asks.
    static constexpr uint32_t kCopyToolFlags = 0x1120;

    // A device's node tree is cut off below this depth and beyond this many nodes. Real
    // trees (device, interfaces, disk, volumes) are a handful of levels and nodes; the
    // limits only stop a configuration manager whose relations lead round in a circle.
    static constexpr int32_t kMaxNodeDepth = 32;
    static constexpr size_t kMaxNodesPerDevice = 4096;
    // FindDeviceNodeByDriverKey gives up after this many steps through the device tree.
    static constexpr size_t kMaxDeviceTreeSteps = 0x40000;

    // results is emptied and filled by Enumerate and stays the caller's.
    CUSBEnumerateEx(std::vector<CUSBEnumerateExData>* results, uint32_t discoveryFlags, uint32_t collectionFlags,
                    const DevicePlatform& platform = DevicePlatform::System());
    ~CUSBEnumerateEx() override;

    // Lists the volumes first, so the node trees can carry drive letters, then scans.
    void Enumerate() override;
    void OnDevice(CUSBIoControl& hub, ULONG port, const CUSBIoControl::ConnectionInformation& info) override;
    using NodeTree = CUSBEnumerateExData::NodeTree;
    // Fills node from device and appends below it what the configuration manager relates
    // to it: its children (each followed by its siblings when walkSiblings is set for
    // them) and its removal relations.
    virtual void AddNodeSubtree(DEVINST device, bool walkSiblings, NodeTree& nodes, NodeTree::iterator node);
    virtual void BuildNodeTree(DEVINST device, CUSBEnumerateExData& record);
    virtual void FillNode(DEVINST device, CUSBEnumerateExTreeData& data);
    virtual void AddDevice(const CUSBEnumerateExData& record);

    // The node whose driver key (CM_DRP_DRIVER) is key, ignoring case; 0 when none is.
    DEVINST FindDeviceNodeByDriverKey(const std::wstring& key);
    // A REG_MULTI_SZ property as a list; false (list unchanged) when it cannot be read.
    bool ReadMultiStringProperty(DEVINST device, ULONG property, std::vector<std::wstring>& strings);

    const std::vector<CVolumeEnumerateData>& GetVolumes() const { return volumes_; }
    uint32_t GetCollectionFlags() const { return collectionFlags_; }

private:
    bool ReadStringProperty(DEVINST device, ULONG property, std::wstring& text);
    // Whether device is already node or one of node's ancestors.
    static bool IsOnPath(DEVINST device, const NodeTree::iterator_base& node);
    // Appends a node below parent for device unless limits or a circle forbid it.
    NodeTree::iterator AppendNode(DEVINST device, NodeTree& nodes, const NodeTree::iterator_base& parent);

    std::vector<CUSBEnumerateExData>* results_;
    std::vector<CVolumeEnumerateData> volumes_;
    uint32_t collectionFlags_;
    size_t nodesInTree_ = 0;
};

}  // namespace Marlin
