// The destination record of a job: the path information and the disk-cache data of the
// destination's drive, zero until the disk-cache service answers.
#pragma once

#include "DiskCacheSettingData.h"
#include "MarlinFileCopyPathInfo.h"

namespace Marlin::Sluice {

class MarlinFileCopyToInfo : public MarlinFileCopyPathInfo {
public:
    MarlinFileCopyToInfo() = default;
    MarlinFileCopyToInfo(const MarlinFileCopyToInfo&) = default;
    MarlinFileCopyToInfo& operator=(const MarlinFileCopyToInfo&) = default;
    ~MarlinFileCopyToInfo() override = default;

    DiskCacheSettingData diskCache;
};

}  // namespace Marlin::Sluice
