#include "DiskCacheSettingReader.h"

#include <cstring>

namespace Marlin {

static_assert(DiskCacheSettingReader::GetCacheInformationCode == IOCTL_DISK_GET_CACHE_INFORMATION,
              "the cache information code");
static_assert(DiskCacheSettingReader::GetCacheSettingCode ==
                  CTL_CODE(IOCTL_DISK_BASE, 0x0038, METHOD_BUFFERED, FILE_READ_ACCESS),
              "the cache setting code");
static_assert(DiskCacheSettingReader::GetHotplugInfoCode == IOCTL_STORAGE_GET_HOTPLUG_INFO, "the hot-plug code");

DiskCacheSettingReader::DiskCacheSettingReader(IDiskDriveIo& drives) : drives_(drives) {}

std::wstring DiskCacheSettingReader::DevicePath(uint16_t driveLetter) {
    const bool letter = (driveLetter >= u'A' && driveLetter <= u'Z') || (driveLetter >= u'a' && driveLetter <= u'z');
    if (!letter) return std::wstring();
    std::wstring path = L"\\\\.\\";
    path += static_cast<wchar_t>(driveLetter);
    path += L':';
    return path;
}

int DiskCacheSettingReader::ReadDrive(uint16_t driveLetter) {
    data_ = DiskCacheSettingData();
    driveLetter_ = driveLetter;

    // A formatted "\\.\%C:" would take any code unit the client sent, even a NUL or a
    // separator, and open whatever device that spells under system rights.
    const std::wstring path = DevicePath(driveLetter);
    if (path.empty()) return 0;
    auto drive = drives_.Open(path);
    if (!drive) return 0;

    auto& p = data_.payload;
    DWORD returned = 0;

    DISK_CACHE_INFORMATION information;
    std::memset(&information, 0, sizeof information);
    if (drive->Control(GetCacheInformationCode, &information, sizeof information, returned) &&
        returned == sizeof information) {
        std::memcpy(&p.cacheInformation, &information, sizeof information);  // padding too: it goes on the wire
        p.cacheInformationValid = 1;
    }

    // The byte counts of the next two are not checked: the outputs are zeroed first, so a
    // short answer leaves zeros in what it did not fill.
    DiskCacheSettingData::CacheSetting setting;
    std::memset(&setting, 0, sizeof setting);
    if (drive->Control(GetCacheSettingCode, &setting, sizeof setting, returned)) {
        std::memcpy(&p.cacheSetting, &setting, sizeof setting);
        p.cacheSettingValid = 1;
    }

    STORAGE_HOTPLUG_INFO hotplug;
    std::memset(&hotplug, 0, sizeof hotplug);
    if (drive->Control(GetHotplugInfoCode, &hotplug, sizeof hotplug, returned)) {
        std::memcpy(&p.hotplugInformation, &hotplug, sizeof hotplug);
        p.hotplugInformationValid = 1;
    }
    return 1;
}

}  // namespace Marlin
