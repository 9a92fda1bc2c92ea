#include "IVolumeMountPoints.h"

namespace Marlin {

IVolumeMountPoints::~IVolumeMountPoints() = default;

}  // namespace Marlin
