#include "CUSBIoControl.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace Marlin {

static_assert(CUSBIoControl::kGetHcdDriverKeyName == IOCTL_GET_HCD_DRIVERKEY_NAME, "");
static_assert(CUSBIoControl::kGetRootHubName == IOCTL_USB_GET_ROOT_HUB_NAME, "");
static_assert(CUSBIoControl::kGetNodeInformation == IOCTL_USB_GET_NODE_INFORMATION, "");
static_assert(CUSBIoControl::kGetNodeConnectionInformation == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, "");
static_assert(CUSBIoControl::kGetDescriptorFromNodeConnection == IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION, "");
static_assert(CUSBIoControl::kGetNodeConnectionName == IOCTL_USB_GET_NODE_CONNECTION_NAME, "");
static_assert(CUSBIoControl::kGetNodeConnectionDriverKeyName == IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME, "");
static_assert(CUSBIoControl::kGetNodeConnectionInformationEx == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX, "");

static_assert(sizeof(USB_NODE_CONNECTION_INFORMATION_EX) == 35, "packed connection record head");
static_assert(sizeof(USB_NODE_CONNECTION_INFORMATION) == 35, "packed plain connection record head");
static_assert(offsetof(USB_NODE_CONNECTION_INFORMATION, LowSpeed) ==
                  offsetof(USB_NODE_CONNECTION_INFORMATION_EX, Speed),
              "the plain record differs from the extended one only in its speed byte");
static_assert(sizeof(USB_DESCRIPTOR_REQUEST) == 12, "descriptor request head");
static_assert(offsetof(USB_NODE_CONNECTION_DRIVERKEY_NAME, DriverKeyName) == 8, "");
static_assert(offsetof(USB_NODE_CONNECTION_NAME, NodeName) == 8, "");
static_assert(offsetof(USB_HCD_DRIVERKEY_NAME, DriverKeyName) == 4, "");
static_assert(offsetof(USB_ROOT_HUB_NAME, RootHubName) == 4, "");

namespace {

constexpr UCHAR kStringDescriptorType = 3;
constexpr DWORD kDescriptorRequestHead = sizeof(USB_DESCRIPTOR_REQUEST);
constexpr DWORD kDescriptorDataSize = 255;
constexpr DWORD kDescriptorRequestSize = kDescriptorRequestHead + kDescriptorDataSize;  // 267

template <class T>
void Put(uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof(value));
}

template <class T>
T Get(const uint8_t* at) {
    T value;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

// UTF-16 units from bytes, ending at the first terminator if there is one.
std::wstring TextUpToTerminator(const uint8_t* bytes, size_t units) {
    std::wstring text(units, L'\0');
    if (units) std::memcpy(&text[0], bytes, units * sizeof(wchar_t));
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return text;
}

}  // namespace

CUSBIoControl::CUSBIoControl(Marlin::IDeviceIo& io) : io_(&io) {}

CUSBIoControl::~CUSBIoControl() = default;

int CUSBIoControl::Open(const std::wstring& path) {
    Close();
    handle_ = io_->Open(path);
    if (!handle_) return 0;
    path_ = path;
    return 1;
}

void CUSBIoControl::Close() {
    handle_.reset();
    path_.clear();
}

int CUSBIoControl::IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) {
    returned = 0;
    if (!handle_) return 0;
    if (!io_->Control(handle_.get(), code, in, inSize, out, outSize, returned)) return 0;
    // A count beyond the buffer cannot be true; never let it reach a parser.
    if (returned > outSize) return 0;
    return 1;
}

int CUSBIoControl::QueryName(DWORD code, const ULONG* connectionIndex, bool sendRecord, std::wstring& name) {
    const DWORD lengthOffset = connectionIndex ? sizeof(ULONG) : 0;
    const DWORD nameOffset = lengthOffset + sizeof(ULONG);
    const DWORD headSize = nameOffset + sizeof(wchar_t);  // 6 or 10: the record with one character

    uint8_t head[2 * sizeof(ULONG) + sizeof(wchar_t)] = {};
    if (connectionIndex) Put<ULONG>(head, *connectionIndex);
    DWORD returned = 0;
    if (!IoControl(code, sendRecord ? head : nullptr, sendRecord ? headSize : 0, head, headSize, returned)) return 0;
    if (returned < nameOffset) return 0;
    const ULONG actualLength = Get<ULONG>(head + lengthOffset);
    if (actualLength <= headSize || actualLength > kMaxNameBytes) return 0;

    // One spare character beyond what is asked for, so the text always ends in the buffer.
    std::vector<uint8_t> record(actualLength + sizeof(wchar_t), 0);
    if (connectionIndex) Put<ULONG>(record.data(), *connectionIndex);
    if (!IoControl(code, sendRecord ? record.data() : nullptr, sendRecord ? actualLength : 0, record.data(),
                   actualLength, returned))
        return 0;
    // Only the bytes the driver says it wrote count, and it may write fewer than it
    // announced.
    if (returned <= nameOffset) return 0;
    std::wstring text = TextUpToTerminator(record.data() + nameOffset, (returned - nameOffset) / sizeof(wchar_t));
    if (text.empty()) return 0;
    name = std::move(text);
    return 1;
}

int CUSBIoControl::GetHcdDriverKeyName(std::wstring& name) {
    return QueryName(kGetHcdDriverKeyName, nullptr, true, name);
}

int CUSBIoControl::GetRootHubName(std::wstring& name) { return QueryName(kGetRootHubName, nullptr, false, name); }

int CUSBIoControl::GetNodeConnectionDriverKeyName(ULONG port, std::wstring& name) {
    return QueryName(kGetNodeConnectionDriverKeyName, &port, true, name);
}

int CUSBIoControl::GetNodeConnectionName(ULONG port, std::wstring& name) {
    return QueryName(kGetNodeConnectionName, &port, true, name);
}

int CUSBIoControl::GetNodeConnectionInformation(ULONG port, ConnectionInformation& info) {
    ConnectionInformation buffer;
    std::memset(&buffer, 0, sizeof(buffer));
    buffer.header.ConnectionIndex = port;
    DWORD returned = 0;
    if (IoControl(kGetNodeConnectionInformationEx, &buffer, sizeof(buffer), &buffer, sizeof(buffer), returned) &&
        returned >= sizeof(buffer.header)) {
        info = buffer;
        return 1;
    }

    // Older hub drivers know only the plain record, which has a low-speed flag where the
    // extended one has the speed; everything else lies at the same place.
    std::memset(&buffer, 0, sizeof(buffer));
    buffer.header.ConnectionIndex = port;
    if (!IoControl(kGetNodeConnectionInformation, &buffer, sizeof(buffer), &buffer, sizeof(buffer), returned) ||
        returned < sizeof(buffer.header))
        return 0;
    const bool lowSpeed = buffer.header.Speed != 0;
    buffer.header.Speed = lowSpeed ? UsbLowSpeed : UsbFullSpeed;
    info = buffer;
    return 1;
}

int CUSBIoControl::GetStringDescriptor(ULONG port, UCHAR index, USHORT language, std::vector<uint8_t>& bytes) {
    uint8_t request[kDescriptorRequestSize] = {};
    Put<ULONG>(request + offsetof(USB_DESCRIPTOR_REQUEST, ConnectionIndex), port);
    Put<USHORT>(request + offsetof(USB_DESCRIPTOR_REQUEST, SetupPacket.wValue),
                static_cast<USHORT>((kStringDescriptorType << 8) | index));
    Put<USHORT>(request + offsetof(USB_DESCRIPTOR_REQUEST, SetupPacket.wIndex), language);
    Put<USHORT>(request + offsetof(USB_DESCRIPTOR_REQUEST, SetupPacket.wLength),
                static_cast<USHORT>(kDescriptorDataSize));
    DWORD returned = 0;
    if (!IoControl(kGetDescriptorFromNodeConnection, request, sizeof(request), request, sizeof(request), returned))
        return 0;
    // At least the descriptor's two head bytes must have come back before they are read.
    if (returned < kDescriptorRequestHead + 2) return 0;
    const uint8_t* descriptor = request + kDescriptorRequestHead;
    const UCHAR bLength = descriptor[0];
    if (descriptor[1] != kStringDescriptorType) return 0;
    if (returned != bLength + kDescriptorRequestHead) return 0;
    if (bLength % 2 != 0) return 0;
    bytes.assign(descriptor, descriptor + bLength);
    return 1;
}

int CUSBIoControl::GetLanguageIds(ULONG port, std::vector<USHORT>& ids) {
    std::vector<uint8_t> descriptor;
    if (!GetStringDescriptor(port, 0, 0, descriptor)) return 0;
    std::vector<USHORT> found((descriptor.size() - 2) / 2);
    for (size_t i = 0; i < found.size(); ++i) found[i] = Get<USHORT>(descriptor.data() + 2 + 2 * i);
    ids = std::move(found);
    return 1;
}

int CUSBIoControl::GetString(ULONG port, UCHAR index, USHORT language, std::wstring& text) {
    std::vector<uint8_t> descriptor;
    if (!GetStringDescriptor(port, index, language, descriptor)) return 0;
    const size_t units = (descriptor.size() - 2) / 2;
    std::wstring found(units, L'\0');
    if (units) std::memcpy(&found[0], descriptor.data() + 2, units * sizeof(wchar_t));
    text = std::move(found);
    return 1;
}

}  // namespace Marlin
