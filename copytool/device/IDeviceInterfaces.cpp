#include "IDeviceInterfaces.h"

namespace Marlin {

IDeviceInterfaces::~IDeviceInterfaces() = default;

}  // namespace Marlin
