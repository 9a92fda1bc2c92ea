#include "DevicePlatform.h"

#include "CConfigManager.h"
#include "CDeviceInterfaces.h"
#include "CDeviceIo.h"
#include "CVolumeMountPoints.h"

namespace Marlin {

const DevicePlatform& DevicePlatform::System() {
    static CDeviceIo io;
    static CConfigManager configManager;
    static CDeviceInterfaces interfaces;
    static CVolumeMountPoints mountPoints;
    static const DevicePlatform platform(io, configManager, interfaces, mountPoints);
    return platform;
}

}  // namespace Marlin
