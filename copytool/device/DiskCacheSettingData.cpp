#include "DiskCacheSettingData.h"

#include <cstring>

namespace Marlin {

DiskCacheSettingData::DiskCacheSettingData() { std::memset(&payload, 0, sizeof(payload)); }

DiskCacheSettingData::~DiskCacheSettingData() = default;

}  // namespace Marlin
