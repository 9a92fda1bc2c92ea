#include "IDeviceIo.h"

namespace Marlin {

IDeviceIo::~IDeviceIo() = default;

}  // namespace Marlin
