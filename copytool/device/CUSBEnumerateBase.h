// Walks every USB host controller, its root hub, every hub behind it and every port, and
// hands each connected device to OnDevice, which a derived class fills in. Controllers
// are found by their fixed names (\\.\HCD0 to \\.\HCD9), through their device
// interfaces, or both; a controller reached both ways is walked once per scan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CUSBIoControl.h"
#include "DevicePlatform.h"

namespace Marlin {

class CUSBEnumerateBase {
public:
    static constexpr uint32_t kDiscoverByName = 0x1;
    static constexpr uint32_t kDiscoverByInterface = 0x2;

    // The most hubs one chain may hold, root hub included. USB allows six (the root hub
    // and five behind it); the rest of the margin costs nothing, while a hub that names
    // itself or an ever-longer chain of names as its downstream would otherwise be
    // followed until the stack runs out.
    static constexpr size_t kMaxHubChain = 16;

    explicit CUSBEnumerateBase(uint32_t discoveryFlags,
                               const Marlin::DevicePlatform& platform = Marlin::DevicePlatform::System());
    CUSBEnumerateBase(const CUSBEnumerateBase&) = delete;
    CUSBEnumerateBase& operator=(const CUSBEnumerateBase&) = delete;
    virtual ~CUSBEnumerateBase();

    // Forgets the controllers of an earlier scan, then discovers by name and/or by
    // interface as the discovery flags say.
    virtual void Enumerate();
    virtual void EnumerateHostControllersByName();
    virtual void EnumerateHostControllersByInterface();
    virtual void EnumerateRootHub(const std::wstring& controllerPath);
    virtual void EnumerateHub(const std::wstring& hubName);
    virtual void EnumeratePort(CUSBIoControl& hub, ULONG port);
    virtual void EnumerateExternalHub(CUSBIoControl& hub, ULONG port, const CUSBIoControl::ConnectionInformation& info);
    // A port with something attached that is not a hub; the base does nothing with it.
    virtual void OnDevice(CUSBIoControl& hub, ULONG port, const CUSBIoControl::ConnectionInformation& info);

    // Walks the controller at path unless its driver key shows it was walked already.
    void OpenHostController(const std::wstring& path);

    // The upper-cased driver keys of the controllers walked in this scan, in walk order.
    const std::vector<std::wstring>& GetSeenControllers() const { return seenControllers_; }
    uint32_t GetDiscoveryFlags() const { return discoveryFlags_; }

protected:
    const Marlin::DevicePlatform& Platform() const { return platform_; }

private:
    Marlin::DevicePlatform platform_;
    std::vector<std::wstring> seenControllers_;
    uint32_t discoveryFlags_;
    // The upper-cased names of the hubs from the root hub down to the one being walked.
    std::vector<std::wstring> hubChain_;
};

}  // namespace Marlin
