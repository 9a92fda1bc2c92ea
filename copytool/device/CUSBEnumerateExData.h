// One connected USB device: its descriptor data, its connection speed, and the tree of
// device nodes below its own node (the node itself at the head).
#pragma once

#include <cstdint>

#include "CUSBEnumerateData.h"
#include "CUSBEnumerateExTreeData.h"
#include "tree.h"

namespace Marlin {

class CUSBEnumerateExData : public CUSBEnumerateData {
public:
    using NodeTree = tree<CUSBEnumerateExTreeData>;

    CUSBEnumerateExData() = default;
    CUSBEnumerateExData(const CUSBEnumerateExData&) = default;
    CUSBEnumerateExData& operator=(const CUSBEnumerateExData&) = default;
    CUSBEnumerateExData(CUSBEnumerateExData&&) = default;
    CUSBEnumerateExData& operator=(CUSBEnumerateExData&&) = default;
    ~CUSBEnumerateExData() override = default;

    uint16_t usbVersion = 0;  // bcdUSB
    uint32_t speed = 0;       // USB_DEVICE_SPEED: 0 low, 1 full, 2 high
    NodeTree nodes;
};

}  // namespace Marlin
