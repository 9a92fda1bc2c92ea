#include "IFindCopyItemCore.h"

namespace Marlin::Sluice {

IFindCopyItemCore::~IFindCopyItemCore() = default;

}  // namespace Marlin::Sluice
