// A scripted machine behind the device enumeration's four platform boundaries: USB host
// controllers and hubs that answer the hub driver's I/O controls, a configuration-manager
// device tree with properties and removal relations, device-interface lists, and volume
// mount points. It answers as the real components do (two-step name queries, short
// buffers, CR_BUFFER_SMALL with the needed size) and counts what it is asked, so a test
// can see which controllers and hubs were walked and how often.
#pragma once

#include <windows.h>
#include <winioctl.h>
#include <usbioctl.h>
#include <cfgmgr32.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DevicePlatform.h"

namespace devicetest {

struct FakePort {
    USB_CONNECTION_STATUS status = NoDeviceConnected;
    bool isHub = false;
    std::wstring hubName;  // the connection name of a hub
    USB_DEVICE_DESCRIPTOR descriptor{};
    UCHAR speed = UsbHighSpeed;
    bool onlyPlainInformation = false;  // the extended connection control fails
    std::wstring driverKey;             // empty: the driver-key request fails
    std::vector<USHORT> languages;
    std::map<UCHAR, std::wstring> strings;  // in every language
    bool stringsFail = false;
};

struct FakeHub {
    std::vector<FakePort> ports;  // port n is ports[n - 1]
    bool nodeInformationFails = false;
};

struct FakeProperty {
    ULONG type = REG_SZ;
    std::vector<uint8_t> bytes;
    ULONG claimedLength = 0;  // non-zero: the size CR_BUFFER_SMALL reports instead of the real one
};

struct FakeNode {
    std::wstring id;
    bool idFails = false;
    std::map<ULONG, FakeProperty> properties;
    ULONG status = DN_STARTED | DN_DRIVER_LOADED;
    ULONG problem = 0;
    DEVINST parent = 0;
    std::vector<DEVINST> children;
    std::vector<std::wstring> removalRelations;
    DEVINST siblingOverride = 0;  // non-zero: GetSibling answers this instead
};

class FakeMachine : public Marlin::IDeviceIo,
                    public Marlin::IConfigManager,
                    public Marlin::IDeviceInterfaces,
                    public Marlin::IVolumeMountPoints {
public:
    // A raw answer for one control on one path; nullopt lets the machine answer itself.
    using ControlScript = std::function<std::optional<bool>(DWORD code, const uint8_t* in, DWORD inSize, uint8_t* out,
                                                            DWORD outSize, DWORD& returned)>;

    FakeMachine();
    ~FakeMachine() override;

    Marlin::DevicePlatform Platform() { return Marlin::DevicePlatform(*this, *this, *this, *this); }

    // --- USB drivers
    void AddController(const std::wstring& path, const std::wstring& driverKey, const std::wstring& rootHubName);
    FakeHub& AddHub(const std::wstring& name);
    FakeHub& Hub(const std::wstring& name);
    void ScriptControl(const std::wstring& path, ControlScript script);
    int OpenCount(const std::wstring& path) const;
    int ControlCount(const std::wstring& path, DWORD code) const;
    // Handles given out by Open that are still open.
    int OpenHandles() const;

    // --- configuration manager
    DEVINST Root() const { return root_; }
    DEVINST AddNode(DEVINST parent, const std::wstring& id);
    FakeNode& Node(DEVINST node);
    void SetString(DEVINST node, ULONG property, const std::wstring& text);
    void SetMultiString(DEVINST node, ULONG property, const std::vector<std::wstring>& strings);
    bool rootLocatable = true;

    // --- Setup API and mount manager
    void AddInterface(const GUID& interfaceClass, const std::wstring& devicePath, DEVINST devInst);
    void AddMountPoint(const std::wstring& mountPoint, const std::wstring& volumeName);
    void FailMountPoint(const std::wstring& mountPoint);  // the query fails, leaving the buffer as it was
    const std::vector<std::wstring>& MountPointQueries() const { return mountPointQueries_; }

    // IDeviceIo
    Marlin::FileHandle Open(const std::wstring& path) override;
    bool Control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD& returned) override;
    // IConfigManager
    CONFIGRET LocateDevNode(DEVINST* node, const wchar_t* deviceId) override;
    CONFIGRET GetChild(DEVINST* child, DEVINST node) override;
    CONFIGRET GetSibling(DEVINST* sibling, DEVINST node) override;
    CONFIGRET GetParent(DEVINST* parent, DEVINST node) override;
    CONFIGRET GetDeviceId(DEVINST node, wchar_t* buffer, ULONG bufferChars) override;
    CONFIGRET GetRegistryProperty(DEVINST node, ULONG property, ULONG* type, void* buffer, ULONG* length) override;
    CONFIGRET GetStatus(ULONG* status, ULONG* problem, DEVINST node) override;
    CONFIGRET GetDeviceIdListSize(ULONG* chars, const wchar_t* filter, ULONG flags) override;
    CONFIGRET GetDeviceIdList(const wchar_t* filter, wchar_t* buffer, ULONG bufferChars, ULONG flags) override;
    // IDeviceInterfaces
    std::vector<Entry> List(const GUID& interfaceClass) override;
    // IVolumeMountPoints
    bool QueryVolumeName(const wchar_t* mountPoint, wchar_t* volumeName, DWORD chars) override;

    // Counters of the configuration manager, for the tests of its bounds.
    int siblingQueries = 0;
    int propertyQueries = 0;

private:
    struct Controller {
        std::wstring driverKey;
        std::wstring rootHubName;
    };
    bool ControlController(const Controller& controller, DWORD code, const uint8_t* in, DWORD inSize, uint8_t* out,
                           DWORD outSize, DWORD& returned);
    bool ControlHub(const FakeHub& hub, DWORD code, const uint8_t* in, DWORD inSize, uint8_t* out, DWORD outSize,
                    DWORD& returned);
    const FakeNode* Find(DEVINST node) const;

    std::map<std::wstring, Controller> controllers_;  // by upper-cased path
    std::map<std::wstring, FakeHub> hubs_;            // by upper-cased "\\.\" + name
    std::map<std::wstring, ControlScript> scripts_;
    std::map<std::wstring, int> opens_;
    std::map<std::pair<std::wstring, DWORD>, int> controls_;
    std::map<HANDLE, std::wstring> handlePaths_;
    std::vector<HANDLE> handedOut_;

    std::map<DEVINST, FakeNode> nodes_;
    DEVINST root_ = 0;
    DEVINST nextNode_ = 100;

    std::vector<std::pair<GUID, Entry>> interfaces_;
    std::map<std::wstring, std::wstring> mountPoints_;
    std::vector<std::wstring> failingMountPoints_;
    std::vector<std::wstring> mountPointQueries_;
};

std::wstring Upper(const std::wstring& text);

}  // namespace devicetest
