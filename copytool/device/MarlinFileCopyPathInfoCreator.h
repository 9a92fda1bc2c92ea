// Fills a MarlinFileCopyPathInfo (also the path part of a destination record): its path,
// and whether the path's drive is one of the drive letters of a scanned USB device.
#pragma once

#include <string>
#include <vector>

#include "CUSBEnumerateExData.h"
#include "MarlinFileCopyPathInfo.h"
#include "RecordCreator.h"

namespace Marlin {

class MarlinFileCopyPathInfoCreator : public RecordCreator<MarlinFileCopyPathInfo> {
public:
    explicit MarlinFileCopyPathInfoCreator(MarlinFileCopyPathInfo* record) noexcept;
    ~MarlinFileCopyPathInfoCreator() override;

    // Forgets what the record said about an earlier path, then stores path.
    void SetPath(const std::wstring& path);
    // The first device, in list order, whose node tree holds the record's drive letter
    // (either case) is copied into the record and marks it as USB-attached.
    void MatchUsbDevice(const std::vector<Marlin::CUSBEnumerateExData>& devices);
};

}  // namespace Marlin
