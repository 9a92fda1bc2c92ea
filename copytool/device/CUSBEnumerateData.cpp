#include "CUSBEnumerateData.h"

namespace Marlin {

CUSBEnumerateData::~CUSBEnumerateData() = default;

}  // namespace Marlin
