#include "IConfigManager.h"

namespace Marlin {

IConfigManager::~IConfigManager() = default;

}  // namespace Marlin
