// How the destination decides the engine's tuning: the wake thresholds from where the
// sources are, the buffering from the disk's hot-plug answer and the system version, and
// the walk order from the USB device, its hot-plug answer and its FAT volume's size.
#include <windows.h>

#include <string>
#include <vector>

#include "CreateSluiceOptionCmdLine.h"
#include "MarlinFileCopyDestinationAnalysis.h"
#include "ScriptedDestination.h"
#include "StandardMachine.h"
#include "TestHarness.h"
#include "TestOsVersion.h"

using Marlin::DiskCacheSettingData;
using Marlin::MarlinFileCopyDestinationAnalysis;
using Marlin::Sluice::CreateSluiceOptionCmdLine;
using Marlin::Sluice::MarlinFileCopyToInfo;
using Marlin::Sluice::SluiceOption;
using optiontest::ScriptedDestination;
using optiontest::TestOsVersion;
using Paths = std::vector<std::wstring>;

namespace {

constexpr uint64_t kAllOnes = ~uint64_t{0};
constexpr uint64_t GiB = uint64_t{1} << 30;

SluiceOption Create(const Paths& sources, const std::wstring& destination, ScriptedDestination& scripted,
                    DWORD majorVersion = 6) {
    const int32_t copy = 0;
    CreateSluiceOptionCmdLine creator(sources, destination, copy, TestOsVersion(majorVersion), scripted.Queries());
    if (creator.Create() != 1) FAIL("the option was not created");
    return creator.GetOption();
}

}  // namespace

TEST_CASE("reader and writer wait for each other only when every source is on the destination's drive") {
    struct Row {
        const char* what;
        Paths sources;
        std::wstring destination;
        uint64_t wake;
    } rows[] = {
        {"different drives", {L"C:\\x"}, L"D:\\y", 1},
        {"the same drive", {L"C:\\x"}, L"C:\\y", kAllOnes},
        {"the same drive in other letter case", {L"c:\\x", L"C:\\z"}, L"C:\\y", kAllOnes},
        {"one of two sources on another drive", {L"C:\\x", L"D:\\z"}, L"C:\\y", 1},
        {"a UNC source", {L"\\\\srv\\share\\x"}, L"C:\\y", 1},
        {"a UNC destination", {L"C:\\x"}, L"\\\\srv\\share\\y", 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        ScriptedDestination scripted;
        const SluiceOption option = Create(row.sources, row.destination, scripted);
        CHECK_EQ(option.readerWakeFreeBytes, row.wake);
        CHECK_EQ(option.writerWakeUsedBytes, row.wake);
    }
}

TEST_CASE("writes bypass the cache for removable disks, for large files on old systems, else never") {
    struct Row {
        const char* what;
        DWORD majorVersion;
        int32_t usbAttached;
        bool serviceAnswers;
        uint32_t hotplugValid;
        uint8_t mediaRemovable, mediaHotplug, deviceHotplug;
        uint64_t threshold;
        uint64_t writeChunk;
    } rows[] = {
        {"a fixed disk, version 6", 6, 0, true, 1, 0, 0, 0, kAllOnes, 0x10000},
        {"a fixed disk, version 10", 10, 0, true, 1, 0, 0, 0, kAllOnes, 0x10000},
        {"a fixed disk, version 5", 5, 0, true, 1, 0, 0, 0, 0x10000, 0x1000000},
        {"no service, version 6", 6, 0, false, 0, 0, 0, 0, kAllOnes, 0x10000},
        {"no service, version 5", 5, 0, false, 0, 0, 0, 0, 0x10000, 0x1000000},
        {"a USB disk the service could not read", 6, 1, false, 0, 0, 0, 0, kAllOnes, 0x10000},
        {"removable media, version 6", 6, 0, true, 1, 1, 0, 0, 0, 0x1000000},
        {"removable media, version 5", 5, 0, true, 1, 1, 0, 0, 0, 0x1000000},
        {"removable media reported as 0xFF", 6, 0, true, 1, 0xFF, 0, 0, 0, 0x1000000},
        {"a hot-plug device, version 6", 6, 1, true, 1, 0, 0, 1, 0, 0x1000000},
        {"a hot-plug device, version 5", 5, 1, true, 1, 0, 0, 1, 0, 0x1000000},
        {"DeviceHotplug without the valid flag is not believed", 6, 1, true, 0, 0, 0, 1, kAllOnes, 0x10000},
        {"MediaHotplug alone is not a hot-plug device", 6, 0, true, 1, 0, 1, 0, kAllOnes, 0x10000},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        ScriptedDestination scripted;
        scripted.usbAttached = row.usbAttached;
        scripted.serviceAnswers = row.serviceAnswers;
        scripted.hotplugValid = row.hotplugValid;
        scripted.mediaRemovable = row.mediaRemovable;
        scripted.mediaHotplug = row.mediaHotplug;
        scripted.deviceHotplug = row.deviceHotplug;
        const SluiceOption option = Create({L"C:\\x"}, L"E:\\y", scripted, row.majorVersion);
        CHECK_EQ(option.noBufferingThreshold, row.threshold);
        CHECK_EQ(option.writeChunkSize, row.writeChunk);
        CHECK_EQ(option.readChunkSize, uint64_t{0x1000000});
    }
}

TEST_CASE("one walk in tree order for large hot-plug FAT32 and small removable FAT volumes on USB") {
    struct Row {
        const char* what;
        int32_t usbAttached;
        uint32_t hotplugValid;
        uint8_t mediaRemovable, deviceHotplug;
        std::wstring fileSystem;  // empty: unreadable
        bool totalReadable;
        uint64_t totalBytes;
        int32_t foldersFirst;
    } rows[] = {
        {"hot-plug FAT32 of exactly 32 GiB", 1, 1, 0, 1, L"FAT32", true, 32 * GiB, 0},
        {"hot-plug FAT32 of 32 GiB less one byte", 1, 1, 0, 1, L"FAT32", true, 32 * GiB - 1, 1},
        {"hot-plug FAT32 of 2 TiB", 1, 1, 0, 1, L"FAT32", true, 2048 * GiB, 0},
        {"the file-system name in lower case", 1, 1, 0, 1, L"fat32", true, 64 * GiB, 0},
        {"hot-plug FAT of 64 GiB", 1, 1, 0, 1, L"FAT", true, 64 * GiB, 1},
        {"hot-plug exFAT of 64 GiB", 1, 1, 0, 1, L"exFAT", true, 64 * GiB, 1},
        {"hot-plug NTFS of 64 GiB", 1, 1, 0, 1, L"NTFS", true, 64 * GiB, 1},
        {"large FAT32 not on USB", 0, 1, 0, 1, L"FAT32", true, 64 * GiB, 1},
        {"large FAT32 whose hot-plug answer is not valid", 1, 0, 0, 1, L"FAT32", true, 64 * GiB, 1},
        {"large FAT32 of a device that is not hot-plug", 1, 1, 0, 0, L"FAT32", true, 64 * GiB, 1},
        {"a hot-plug FAT32 of 2 GiB, not removable media", 1, 1, 0, 1, L"FAT32", true, 2 * GiB, 1},
        {"removable FAT of exactly 2 GiB", 1, 1, 1, 0, L"FAT", true, 2 * GiB, 0},
        {"removable FAT of 2 GiB and one byte", 1, 1, 1, 0, L"FAT", true, 2 * GiB + 1, 1},
        {"removable FAT32 of 1 GiB", 1, 1, 1, 0, L"FAT32", true, GiB, 0},
        {"removable FAT of 1 GiB, lower case", 1, 1, 1, 0, L"fat", true, GiB, 0},
        {"removable NTFS of 2 GiB", 1, 1, 1, 0, L"NTFS", true, 2 * GiB, 1},
        {"removable FAT32 of 40 GiB, not hot-plug", 1, 1, 1, 0, L"FAT32", true, 40 * GiB, 1},
        {"removable FAT of 2 GiB not on USB", 0, 1, 1, 0, L"FAT", true, 2 * GiB, 1},
        {"removable media reported as 2, not 1", 1, 1, 2, 0, L"FAT", true, 2 * GiB, 1},
        {"the file system cannot be read", 1, 1, 1, 1, L"", true, GiB, 1},
        {"the volume size cannot be read", 1, 1, 1, 1, L"FAT32", false, 0, 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        ScriptedDestination scripted;
        scripted.usbAttached = row.usbAttached;
        scripted.hotplugValid = row.hotplugValid;
        scripted.mediaRemovable = row.mediaRemovable;
        scripted.deviceHotplug = row.deviceHotplug;
        scripted.fileSystem = row.fileSystem;
        scripted.totalReadable = row.totalReadable;
        scripted.totalBytes = row.totalBytes;
        const SluiceOption option = Create({L"C:\\x"}, L"E:\\backup\\", scripted);
        CHECK_EQ(option.foldersFirst, row.foldersFirst);
        // The volume is the destination's, and its size comes from the volume root.
        for (const auto& asked : scripted.fileSystemAsked) CHECK_EQ(asked, std::wstring(L"E:\\backup"));
        for (const auto& asked : scripted.totalAsked) CHECK_EQ(asked, std::wstring(L"E:\\"));
        if (row.foldersFirst == 0) CHECK_EQ(scripted.totalAsked.size(), size_t{1});
    }
}

TEST_CASE("the volume of a destination that is no USB device is not queried at all") {
    // A dead network share or a disk spinning up can hold such a query for a long time, and
    // without a USB device its answer cannot change the option.
    struct Row {
        const char* what;
        int32_t usbAttached;
        uint8_t mediaRemovable, deviceHotplug;
    } rows[] = {
        {"not on USB, hot-plug and removable", 0, 1, 1},
        {"on USB but neither hot-plug nor removable", 1, 0, 0},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        ScriptedDestination scripted;
        scripted.usbAttached = row.usbAttached;
        scripted.mediaRemovable = row.mediaRemovable;
        scripted.deviceHotplug = row.deviceHotplug;
        scripted.fileSystem = L"FAT32";
        scripted.totalBytes = 64 * GiB;
        const SluiceOption option = Create({L"C:\\x"}, L"E:\\y", scripted);
        CHECK_EQ(option.foldersFirst, 1);
        CHECK(scripted.fileSystemAsked.empty());
        CHECK(scripted.totalAsked.empty());
    }
}

// The next two run the real destination analysis on the scripted machine of the device
// tests: C: on a fixed disk, E: and F: on a USB disk. The service's answer is scripted.
namespace {

struct AnalysedDestination {
    devicetest::StandardMachine machine;
    ScriptedDestination volume;  // only its file-system and size answers are used
    std::vector<wchar_t> askedLetters;
    DiskCacheSettingData answer;

    CreateSluiceOptionCmdLine::DestinationQueries Queries() {
        CreateSluiceOptionCmdLine::DestinationQueries queries = volume.Queries();
        queries.describe = [this](MarlinFileCopyToInfo& record, const std::wstring& destination) {
            const MarlinFileCopyDestinationAnalysis analysis(
                [this](wchar_t letter, DiskCacheSettingData& data) {
                    askedLetters.push_back(letter);
                    data = answer;
                },
                machine.Platform());
            analysis.Run(record, destination);
        };
        return queries;
    }
};

}  // namespace

TEST_CASE("a destination without a drive letter is no USB device, asks no service, and the version decides") {
    struct Row {
        DWORD majorVersion;
        uint64_t threshold;
        uint64_t writeChunk;
    } rows[] = {{6, kAllOnes, 0x10000}, {5, 0x10000, 0x1000000}};
    for (const Row& row : rows) {
        CONTEXT("version " + std::to_string(row.majorVersion));
        AnalysedDestination destination;
        // Were the service asked, it would say hot-plug; were the volume asked, large FAT32.
        destination.answer.payload.hotplugInformationValid = 1;
        destination.answer.payload.hotplugInformation.DeviceHotplug = 1;
        destination.volume.fileSystem = L"FAT32";
        destination.volume.totalBytes = 64 * GiB;

        const Paths sources = {L"C:\\x"};
        const std::wstring unc = L"\\\\server\\share\\dir";
        const int32_t copy = 0;
        CreateSluiceOptionCmdLine creator(sources, unc, copy, TestOsVersion(row.majorVersion),
                                          destination.Queries());
        REQUIRE_EQ(creator.Create(), 1);
        CHECK_EQ(creator.GetDestinationInfo().path, unc);
        CHECK_EQ(creator.GetDestinationInfo().usbAttached, 0);
        CHECK(destination.askedLetters.empty());
        CHECK_EQ(creator.GetDestinationInfo().diskCache.payload.hotplugInformationValid, 0u);
        CHECK_EQ(creator.GetOption().foldersFirst, 1);
        CHECK_EQ(creator.GetOption().noBufferingThreshold, row.threshold);
        CHECK_EQ(creator.GetOption().writeChunkSize, row.writeChunk);
    }
}

TEST_CASE("a destination on a USB disk's volume is found by the scan and its hot-plug answer is used") {
    struct Row {
        std::wstring destination;
        int32_t usbAttached;
        int32_t foldersFirst;
    } rows[] = {
        {L"e:\\backup", 1, 0},
        {L"F:\\", 1, 0},
        {L"C:\\data", 0, 1},  // the same answers, but a fixed disk is no USB device
    };
    for (const Row& row : rows) {
        CONTEXT(quaytest::Utf8(row.destination));
        AnalysedDestination destination;
        destination.answer.payload.hotplugInformationValid = 1;
        destination.answer.payload.hotplugInformation.DeviceHotplug = 1;
        destination.volume.fileSystem = L"FAT32";
        destination.volume.totalBytes = 64 * GiB;

        const Paths sources = {L"D:\\x"};
        const int32_t copy = 0;
        CreateSluiceOptionCmdLine creator(sources, row.destination, copy, TestOsVersion(6), destination.Queries());
        REQUIRE_EQ(creator.Create(), 1);
        CHECK_EQ(creator.GetDestinationInfo().usbAttached, row.usbAttached);
        // The service is asked for the drive as the path writes it.
        CHECK(destination.askedLetters == std::vector<wchar_t>{row.destination[0]});
        CHECK_EQ(creator.GetOption().noBufferingThreshold, uint64_t{0});
        CHECK_EQ(creator.GetOption().writeChunkSize, uint64_t{0x1000000});
        CHECK_EQ(creator.GetOption().foldersFirst, row.foldersFirst);
    }
}
