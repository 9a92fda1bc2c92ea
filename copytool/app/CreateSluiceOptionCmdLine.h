// The option creator of the normal process: it takes a job (sources, destination, copy or
// move) and works out the engine's tuning. Where the sources lie decides how the reader
// and the writer wake each other; the destination's device decides whether writes bypass
// the system file cache and in which order the engine walks the sources; everything else
// is fixed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "COSVersion.h"
#include "ICreateSluiceOption.h"
#include "MarlinFileCopyToInfo.h"

namespace Marlin::Sluice {

class CreateSluiceOptionCmdLine : public ICreateSluiceOption {
public:
    // Everything the creator asks about the destination. System() is the real machine;
    // tests put in answers the test machine cannot give (USB disks, hot-plug properties,
    // FAT32 volumes of a given size). An empty function counts as a query that failed.
    struct DestinationQueries {
        // Fills record for destination: its path, whether its drive lies on a connected
        // USB device and, when it has a drive letter, the disk-cache service's answer.
        std::function<void(MarlinFileCopyToInfo& record, const std::wstring& destination)> describe;
        // The file-system name of the volume that holds path; false when it cannot be read.
        std::function<bool(const std::wstring& path, std::wstring& name)> fileSystemName;
        // The total size of the volume whose root is volumeRoot; false when it cannot be read.
        std::function<bool(const std::wstring& volumeRoot, uint64_t& totalBytes)> totalBytes;

        // The USB and volume scan with the disk-cache service's query (waiting for the
        // service at most its connect time-out), GetVolumeInformationW and
        // GetDiskFreeSpaceExW.
        static DestinationQueries System();
    };

    // The creator only borrows the job: the caller's source list, destination and move
    // flag must outlive Create, and they are never changed. Taking them as reference
    // wrappers turns a temporary (a string literal for the destination, say), which would
    // be gone before Create, into a compile error.
    template <class T>
    using Borrowed = std::reference_wrapper<const T>;

    CreateSluiceOptionCmdLine(Borrowed<std::vector<std::wstring>> sources, Borrowed<std::wstring> destination,
                              Borrowed<int32_t> move);
    CreateSluiceOptionCmdLine(Borrowed<std::vector<std::wstring>> sources, Borrowed<std::wstring> destination,
                              Borrowed<int32_t> move, const COSVersion& osVersion, DestinationQueries queries);
    ~CreateSluiceOptionCmdLine() override;

    // 1 when the option holds at least one source and a destination. A move whose every
    // source already lies in the destination folder gives 0 before the destination is
    // looked at. A destination that cannot be examined does not fail.
    int Create() override;

    // What the last Create learnt about the destination.
    const MarlinFileCopyToInfo& GetDestinationInfo() const noexcept { return destinationInfo_; }

private:
    void ChooseBuffering();
    void ChooseWalkOrder();

    const std::vector<std::wstring>& sources_;
    const std::wstring& destination_;
    const int32_t& move_;
    MarlinFileCopyToInfo destinationInfo_;
    COSVersion osVersion_;
    DestinationQueries queries_;
};

}  // namespace Marlin::Sluice
