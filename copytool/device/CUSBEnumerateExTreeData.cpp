#include "CUSBEnumerateExTreeData.h"

namespace Marlin {

CUSBEnumerateExTreeData::~CUSBEnumerateExTreeData() = default;

}  // namespace Marlin
