#include "CUSBEnumerateExData.h"

namespace Marlin {

CUSBEnumerateExData::~CUSBEnumerateExData() = default;

}  // namespace Marlin
