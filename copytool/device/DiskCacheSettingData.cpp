#include "DiskCacheSettingData.h"

#include <cstring>

DiskCacheSettingData::DiskCacheSettingData() { std::memset(&payload, 0, sizeof(payload)); }

DiskCacheSettingData::~DiskCacheSettingData() = default;
