// Answers one drive query of the service: opens the drive's device and reads its cache
// information, cache setting and hot-plug information with the three read-only I/O
// controls. It never sets anything on the drive.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "DiskCacheSettingData.h"
#include "IDiskDriveIo.h"

namespace Marlin {

class DiskCacheSettingReader {
public:
    static constexpr DWORD GetCacheInformationCode = 0x740D4;  // IOCTL_DISK_GET_CACHE_INFORMATION
    static constexpr DWORD GetCacheSettingCode = 0x740E0;      // IOCTL_DISK_GET_CACHE_SETTING
    static constexpr DWORD GetHotplugInfoCode = 0x2D0C14;      // IOCTL_STORAGE_GET_HOTPLUG_INFO

    explicit DiskCacheSettingReader(IDiskDriveIo& drives);

    // Fills the record for the drive with this letter. The letter comes from a client:
    // anything but an ASCII letter names no drive and opens nothing. A drive that cannot
    // be opened, or whose queries fail, leaves the record (or the failed blocks) zero.
    // 1 when the drive's device was opened.
    int ReadDrive(uint16_t driveLetter);

    uint16_t DriveLetter() const { return driveLetter_; }
    const DiskCacheSettingData& Data() const { return data_; }

    // "\\.\X:" for an ASCII letter X; empty for anything else.
    static std::wstring DevicePath(uint16_t driveLetter);

private:
    IDiskDriveIo& drives_;
    uint16_t driveLetter_ = 0;
    DiskCacheSettingData data_;
};

}  // namespace Marlin
