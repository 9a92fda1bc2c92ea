// A destination whose device the test describes: what the USB scan, the disk-cache
// service and the volume queries would say about it, for the facts this machine cannot
// produce (USB disks, hot-plug answers, FAT volumes of a chosen size). It records what the
// option creator asked, so a test can tell which queries were made.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CreateSluiceOptionCmdLine.h"

namespace optiontest {

class ScriptedDestination {
public:
    // The answers.
    int32_t usbAttached = 0;
    bool serviceAnswers = true;  // false: the record's disk-cache part is left untouched
    uint32_t hotplugValid = 1;
    uint8_t mediaRemovable = 0;
    uint8_t mediaHotplug = 0;
    uint8_t deviceHotplug = 0;
    std::wstring fileSystem = L"NTFS";  // empty: the volume information cannot be read
    bool totalReadable = true;
    uint64_t totalBytes = 0;

    // What was asked.
    std::vector<std::wstring> described;        // destinations handed to the description
    std::vector<std::wstring> fileSystemAsked;  // paths whose file system was asked for
    std::vector<std::wstring> totalAsked;       // volume roots whose size was asked for

    // Queries bound to this object, which must outlive them.
    Marlin::Sluice::CreateSluiceOptionCmdLine::DestinationQueries Queries();
};

}  // namespace optiontest
