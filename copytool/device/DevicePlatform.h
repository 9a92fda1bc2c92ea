// The four platform facilities the device enumeration is built on, handed to it together.
// System() is the real machine; tests hand in a scripted one. The facilities are borrowed:
// whoever builds a DevicePlatform keeps them alive for as long as it is used.
#pragma once

#include "IConfigManager.h"
#include "IDeviceInterfaces.h"
#include "IDeviceIo.h"
#include "IVolumeMountPoints.h"

namespace Marlin {

class DevicePlatform {
public:
    DevicePlatform(IDeviceIo& io, IConfigManager& configManager, IDeviceInterfaces& interfaces,
                   IVolumeMountPoints& mountPoints) noexcept
        : io_(&io), configManager_(&configManager), interfaces_(&interfaces), mountPoints_(&mountPoints) {}

    // The real drivers, configuration manager, Setup API and mount manager; stateless, so
    // one shared set serves every thread.
    static const DevicePlatform& System();

    IDeviceIo& Io() const noexcept { return *io_; }
    IConfigManager& ConfigManager() const noexcept { return *configManager_; }
    IDeviceInterfaces& Interfaces() const noexcept { return *interfaces_; }
    IVolumeMountPoints& MountPoints() const noexcept { return *mountPoints_; }

private:
    IDeviceIo* io_;
    IConfigManager* configManager_;
    IDeviceInterfaces* interfaces_;
    IVolumeMountPoints* mountPoints_;
};

}  // namespace Marlin
