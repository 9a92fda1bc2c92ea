#include "MarlinFileCopyToInfo.h"

namespace Marlin::Sluice {

MarlinFileCopyToInfo::~MarlinFileCopyToInfo() = default;

}  // namespace Marlin::Sluice
