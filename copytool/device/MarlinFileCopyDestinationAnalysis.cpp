#include "MarlinFileCopyDestinationAnalysis.h"

#include <vector>

#include "CUSBEnumerateEx.h"
#include "MarlinFileCopyPathInfoCreator.h"

namespace Marlin {

MarlinFileCopyDestinationAnalysis::MarlinFileCopyDestinationAnalysis(DiskCacheQuery diskCacheQuery,
                                                                     const Marlin::DevicePlatform& platform)
    : diskCacheQuery_(std::move(diskCacheQuery)), platform_(platform) {}

MarlinFileCopyDestinationAnalysis::~MarlinFileCopyDestinationAnalysis() = default;

void MarlinFileCopyDestinationAnalysis::Run(Marlin::Sluice::MarlinFileCopyToInfo& record,
                                            const std::wstring& destinationPath) const {
    MarlinFileCopyPathInfoCreator creator(&record);
    creator.SetPath(destinationPath);
    const wchar_t letter = record.GetDriveLetter();
    if (letter == 0) return;

    std::vector<Marlin::CUSBEnumerateExData> devices;
    {
        Marlin::CUSBEnumerateEx scan(&devices,
                                     CUSBEnumerateBase::kDiscoverByName | CUSBEnumerateBase::kDiscoverByInterface,
                                     Marlin::CUSBEnumerateEx::kCopyToolFlags, platform_);
        scan.Enumerate();
    }
    creator.MatchUsbDevice(devices);

    if (diskCacheQuery_) diskCacheQuery_(letter, record.diskCache);
}

}  // namespace Marlin
