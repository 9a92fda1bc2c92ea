// What one USB device's descriptors say about it. Every field stays 0 or empty unless
// the enumerator was asked to collect it.
#pragma once

#include <cstdint>
#include <string>

namespace Marlin {

class CUSBEnumerateData {
public:
    CUSBEnumerateData() = default;
    CUSBEnumerateData(const CUSBEnumerateData&) = default;
    CUSBEnumerateData& operator=(const CUSBEnumerateData&) = default;
    CUSBEnumerateData(CUSBEnumerateData&&) = default;
    CUSBEnumerateData& operator=(CUSBEnumerateData&&) = default;
    virtual ~CUSBEnumerateData() = default;

    uint16_t vendorId = 0;      // idVendor
    uint16_t productId = 0;     // idProduct
    std::wstring manufacturer;  // string descriptor iManufacturer
    std::wstring product;       // string descriptor iProduct
    std::wstring serialNumber;  // string descriptor iSerialNumber
};

}  // namespace Marlin
