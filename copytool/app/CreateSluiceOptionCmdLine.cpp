#include "CreateSluiceOptionCmdLine.h"

#include <windows.h>

#include <utility>

#include "MarlinFileCopyDestinationAnalysis.h"
#include "Paths.h"
#include "ServiceCommandClient.h"
#include "SourceList.h"
#include "Volumes.h"

namespace Marlin::Sluice {

namespace {

constexpr uint64_t kBufferPoolSize = 0x4000000;         // 64 MiB of page-locked buffers
constexpr uint64_t kChunkSize = 0x1000000;              // 16 MiB per read or write request
constexpr uint64_t kCachedWriteChunkSize = 0x10000;     // 64 KiB, for writes through the cache
constexpr uint64_t kUnbufferedFromSize = 0x10000;       // older systems: files of 64 KiB and up
constexpr int32_t kRetryCount = 10;
constexpr int32_t kRetryIntervalMs = 100;
constexpr int32_t kCarriedFlag = 1;                     // the second 32-bit reserved field
constexpr uint64_t kLargeFat32Volume = 0x800000000ull;  // 32 GiB
constexpr uint64_t kSmallFatVolume = 0x80000000ull;     // 2 GiB

// "X:\..." and "\\server\..." name the same place from any process; anything else
// ("sub", "C:sub", "\sub") depends on the current folder of the process that was given it.
bool IsFullyQualified(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
}

// A path typed relative to the current folder is made full here, once, on the thread that
// has that folder: every later step (the same-drive test, the device of the destination,
// the "\\?\" form of every file call) reads a path's first characters as its drive.
void MakeFullyQualified(std::wstring& path) {
    if (path.empty() || IsFullyQualified(path)) return;
    std::wstring full = GetFullPath(path);
    if (!full.empty()) path = std::move(full);
}

}  // namespace

CreateSluiceOptionCmdLine::DestinationQueries CreateSluiceOptionCmdLine::DestinationQueries::System() {
    DestinationQueries queries;
    queries.describe = [](MarlinFileCopyToInfo& record, const std::wstring& destination) {
        const MarlinFileCopyDestinationAnalysis analysis([](wchar_t driveLetter, DiskCacheSettingData& data) {
            ServiceCommandClient::QueryDestinationDrive(driveLetter, data);
        });
        analysis.Run(record, destination);
    };
    queries.fileSystemName = [](const std::wstring& path, std::wstring& name) {
        return GetFileSystemName(path, name);
    };
    queries.totalBytes = [](const std::wstring& volumeRoot, uint64_t& totalBytes) {
        ULARGE_INTEGER total{};
        if (!GetDiskFreeSpaceExW(volumeRoot.c_str(), nullptr, &total, nullptr)) return false;
        totalBytes = total.QuadPart;
        return true;
    };
    return queries;
}

CreateSluiceOptionCmdLine::CreateSluiceOptionCmdLine(Borrowed<std::vector<std::wstring>> sources,
                                                     Borrowed<std::wstring> destination, Borrowed<int32_t> move)
    : CreateSluiceOptionCmdLine(sources, destination, move, COSVersion(), DestinationQueries::System()) {}

CreateSluiceOptionCmdLine::CreateSluiceOptionCmdLine(Borrowed<std::vector<std::wstring>> sources,
                                                     Borrowed<std::wstring> destination, Borrowed<int32_t> move,
                                                     const COSVersion& osVersion, DestinationQueries queries)
    : sources_(sources.get()),
      destination_(destination.get()),
      move_(move.get()),
      osVersion_(osVersion),
      queries_(std::move(queries)) {}

CreateSluiceOptionCmdLine::~CreateSluiceOptionCmdLine() = default;

int CreateSluiceOptionCmdLine::Create() {
    // A second call starts from nothing, so that no answer about an earlier destination
    // (the disk-cache record above all, which the path analysis does not reset) survives.
    option_ = SluiceOption();
    destinationInfo_ = MarlinFileCopyToInfo();

    // The engine takes the job in its checked form; the caller's own lists stay as given.
    std::vector<std::wstring> sources = sources_;
    std::wstring destination = destination_;
    for (auto& source : sources) MakeFullyQualified(source);
    MakeFullyQualified(destination);
    RemoveTrailingBackslashes(sources, destination);
    // Only 1 means a move anywhere in the engine; any other value is a copy, and the
    // option says so plainly instead of carrying a value that readers could take either way.
    const int32_t move = move_ == 1 ? 1 : 0;
    if (move) {
        // An item that already lies in the destination folder would be moved onto itself.
        RemoveSourcesInDestination(sources, destination);
        if (sources.empty()) return 0;
    }
    const bool sameDrive = IsSameDrive(sources, destination);

    option_.sources = std::move(sources);
    option_.destination = std::move(destination);

    option_.algorithmKind = SluiceOption::MultiThreadAlgorithm;
    option_.bufferPoolSize = kBufferPoolSize;
    option_.readChunkSize = kChunkSize;
    option_.writeChunkSize = kChunkSize;
    option_.noBufferingThreshold = 0;
    option_.move = move;
    // Reading and writing the same disk at once makes its head seek between the two: there
    // the reader and the writer take turns over the whole pool. Across disks each wakes
    // the other as soon as there is anything to do, so both disks stay busy.
    const uint64_t wake = sameDrive ? SluiceOption::Never : 1;
    option_.readerWakeFreeBytes = wake;
    option_.writerWakeUsedBytes = wake;
    option_.retryCount = kRetryCount;
    option_.retryIntervalMs = kRetryIntervalMs;
    option_.reserved4 = kCarriedFlag;

    if (queries_.describe) queries_.describe(destinationInfo_, option_.destination);

    ChooseBuffering();
    ChooseWalkOrder();

    return (!option_.sources.empty() && !option_.destination.empty()) ? 1 : 0;
}

void CreateSluiceOptionCmdLine::ChooseBuffering() {
    const DiskCacheSettingData::Payload& disk = destinationInfo_.diskCache.payload;
    const bool hotplugDevice = disk.hotplugInformationValid != 0 && disk.hotplugInformation.DeviceHotplug != 0;
    if (hotplugDevice || disk.hotplugInformation.MediaRemovable != 0) {
        // A disk that can be pulled out must hold the data when the job says it is done, not
        // some time later when the system cache gets round to it.
        option_.noBufferingThreshold = 0;
    } else if (osVersion_.MajorVersion() < 6) {
        // Before version 6 a large file streamed through the system cache pushes much else
        // out of memory; only small files go through it there.
        option_.noBufferingThreshold = kUnbufferedFromSize;
    } else {
        // Later systems cope with large cached writes; through the cache, modest write
        // requests keep the data moving steadily.
        option_.noBufferingThreshold = SluiceOption::Never;
        option_.writeChunkSize = kCachedWriteChunkSize;
    }
}

void CreateSluiceOptionCmdLine::ChooseWalkOrder() {
    // Walking each source twice (folders first, then everything else) is the default. Two
    // kinds of FAT volume on a USB device are written in one walk in tree order instead,
    // so that each folder's entries and its files are written together rather than every
    // folder being revisited: a large one on a hot-pluggable device and a small removable
    // medium.
    option_.foldersFirst = 1;
    if (destinationInfo_.usbAttached != 1) return;

    const DiskCacheSettingData::Payload& disk = destinationInfo_.diskCache.payload;
    const bool hotplugDevice = disk.hotplugInformationValid != 0 && disk.hotplugInformation.DeviceHotplug != 0;
    const bool removableMedium = disk.hotplugInformation.MediaRemovable == 1;
    // The cheap facts go first: the volume queries are made only for a device that can
    // qualify.
    if (!hotplugDevice && !removableMedium) return;

    std::wstring fileSystem;
    if (!queries_.fileSystemName || !queries_.fileSystemName(option_.destination, fileSystem)) return;
    const bool fat32 = PathEquals(fileSystem, L"FAT32");
    const bool largeCandidate = hotplugDevice && fat32;
    const bool smallCandidate = removableMedium && (fat32 || PathEquals(fileSystem, L"FAT"));
    if (!largeCandidate && !smallCandidate) return;

    uint64_t totalBytes = 0;
    if (!queries_.totalBytes || !queries_.totalBytes(GetVolumeRoot(option_.destination), totalBytes)) return;
    if ((largeCandidate && totalBytes >= kLargeFat32Volume) || (smallCandidate && totalBytes <= kSmallFatVolume))
        option_.foldersFirst = 0;
}

}  // namespace Marlin::Sluice
