#include "CVolumeEnumerateData.h"

namespace Marlin {

CVolumeEnumerateData::~CVolumeEnumerateData() = default;

}  // namespace Marlin
