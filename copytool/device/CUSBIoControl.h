// A thin layer over the USB host controller and hub drivers' I/O controls, on one open
// device handle. Every answer is checked before it is used: lengths that a driver or a
// device reports decide nothing about buffer sizes beyond what the request itself allows.
//
// Operations return 1 for success and 0 for failure; an out argument is written only on
// success.
#pragma once

#include <windows.h>
#include <winioctl.h>
#include <usbioctl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DevicePlatform.h"
#include "UniqueHandle.h"

namespace Marlin {

class CUSBIoControl {
public:
    static constexpr DWORD kGetHcdDriverKeyName = 0x220424;           // IOCTL_GET_HCD_DRIVERKEY_NAME
    static constexpr DWORD kGetRootHubName = 0x220408;                // IOCTL_USB_GET_ROOT_HUB_NAME
    static constexpr DWORD kGetNodeInformation = 0x220408;            // IOCTL_USB_GET_NODE_INFORMATION
    static constexpr DWORD kGetNodeConnectionInformation = 0x22040C;  // IOCTL_USB_GET_NODE_CONNECTION_INFORMATION
    static constexpr DWORD kGetDescriptorFromNodeConnection =
        0x220410;                                                       // IOCTL_USB_GET_DESCRIPTOR_FROM_NODE_CONNECTION
    static constexpr DWORD kGetNodeConnectionName = 0x220414;           // IOCTL_USB_GET_NODE_CONNECTION_NAME
    static constexpr DWORD kGetNodeConnectionDriverKeyName = 0x220420;  // IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME
    static constexpr DWORD kGetNodeConnectionInformationEx = 0x220448;  // IOCTL_USB_GET_NODE_CONNECTION_INFORMATION_EX

    // The extended connection record with room for 30 pipe entries (365 bytes). Speed is
    // USB_DEVICE_SPEED also when the hub driver only knows the plain record.
    struct ConnectionInformation {
        USB_NODE_CONNECTION_INFORMATION_EX header;
        USB_PIPE_INFO pipes[30];
    };

    // The largest name a driver may report; host controller keys, hub names and driver
    // keys are registry key paths and symbolic link names, far below this.
    static constexpr ULONG kMaxNameBytes = 0x10000;

    explicit CUSBIoControl(Marlin::IDeviceIo& io = Marlin::DevicePlatform::System().Io());
    CUSBIoControl(const CUSBIoControl&) = delete;
    CUSBIoControl& operator=(const CUSBIoControl&) = delete;
    virtual ~CUSBIoControl();

    // Opens path as the USB drivers expect (GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_EXISTING);
    // an earlier handle is closed first.
    int Open(const std::wstring& path);
    void Close();
    bool IsOpen() const { return handle_.valid(); }
    const std::wstring& GetPath() const { return path_; }

    // One I/O control on the handle; 0 when it is closed.
    int IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned);

    // On a host controller.
    int GetHcdDriverKeyName(std::wstring& name);
    int GetRootHubName(std::wstring& name);
    // On a hub; port counts from 1.
    int GetNodeConnectionInformation(ULONG port, ConnectionInformation& info);
    int GetNodeConnectionDriverKeyName(ULONG port, std::wstring& name);
    int GetNodeConnectionName(ULONG port, std::wstring& name);
    // The string descriptor (bLength, type 3, then the text), bLength bytes.
    int GetStringDescriptor(ULONG port, UCHAR index, USHORT language, std::vector<uint8_t>& bytes);
    int GetLanguageIds(ULONG port, std::vector<USHORT>& ids);
    int GetString(ULONG port, UCHAR index, USHORT language, std::wstring& text);

private:
    // The drivers' two-step name query: a short record learns ActualLength (the whole
    // record's size), a second call of that size fetches the name. connectionIndex null:
    // the record has no ConnectionIndex (USB_HCD_DRIVERKEY_NAME, USB_ROOT_HUB_NAME).
    int QueryName(DWORD code, const ULONG* connectionIndex, bool sendRecord, std::wstring& name);

    Marlin::IDeviceIo* io_;
    Marlin::FileHandle handle_;
    std::wstring path_;
};

static_assert(sizeof(CUSBIoControl::ConnectionInformation) == 365, "the connection buffer is 365 bytes");

}  // namespace Marlin
