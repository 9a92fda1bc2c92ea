// Describes a job's destination before its copy option is made: whether the destination's
// drive lies on a connected USB device, and what the disk-cache service says about the
// drive. One synchronous scan per job; nothing is kept between jobs.
#pragma once

#include <functional>
#include <string>

#include "DevicePlatform.h"
#include "DiskCacheSettingData.h"
#include "MarlinFileCopyToInfo.h"

namespace Marlin {

class MarlinFileCopyDestinationAnalysis {
public:
    // Fills data with the disk-cache service's answer for one drive letter, given exactly
    // as the destination path writes it. It may leave data as it is (an absent service).
    using DiskCacheQuery = std::function<void(wchar_t driveLetter, DiskCacheSettingData& data)>;

    // Without a disk-cache query the destination's diskCache stays zero.
    explicit MarlinFileCopyDestinationAnalysis(
        DiskCacheQuery diskCacheQuery = {}, const Marlin::DevicePlatform& platform = Marlin::DevicePlatform::System());
    MarlinFileCopyDestinationAnalysis(const MarlinFileCopyDestinationAnalysis&) = delete;
    MarlinFileCopyDestinationAnalysis& operator=(const MarlinFileCopyDestinationAnalysis&) = delete;
    virtual ~MarlinFileCopyDestinationAnalysis();

    // Sets the record's path to destinationPath and, when the path starts with a drive
    // letter, scans the volumes and USB devices for that letter and asks for the drive's
    // disk-cache data. A path without a drive letter causes no scan and no query.
    void Run(Marlin::Sluice::MarlinFileCopyToInfo& record, const std::wstring& destinationPath) const;

private:
    DiskCacheQuery diskCacheQuery_;
    Marlin::DevicePlatform platform_;
};

}  // namespace Marlin
