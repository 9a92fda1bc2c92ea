// A drive's write-cache and hot-plug properties as the disk-cache service reads them.
// The payload is the same 56 bytes in memory and on the service pipe: the three platform
// records exactly as their I/O controls return them, then one valid flag per record. A
// record whose valid flag is 0 is all zero, and a new payload is all zero.
//
// The native build (sanitizers, fuzz targets) has no platform headers; there the two
// records of the SDK are opaque blocks of their size, which is all the messages need.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
#endif

#include <cstddef>
#include <cstdint>

namespace Marlin {

class DiskCacheSettingData {
public:
#ifdef _WIN32
    using CacheInformation = DISK_CACHE_INFORMATION;  // IOCTL_DISK_GET_CACHE_INFORMATION
    using HotplugInformation = STORAGE_HOTPLUG_INFO;  // IOCTL_STORAGE_GET_HOTPLUG_INFO
#else
    struct alignas(4) CacheInformation {
        uint8_t bytes[24];
    };
    struct alignas(4) HotplugInformation {
        uint8_t bytes[8];
    };
#endif

    // The platform's DISK_CACHE_SETTING (IOCTL_DISK_GET_CACHE_SETTING), which the SDK
    // headers of this tool chain do not declare.
    struct CacheSetting {
        uint32_t Version;
        uint32_t State;  // DISK_CACHE_STATE
        uint8_t IsPowerProtected;  // a BOOLEAN
        uint8_t padding[3];
    };

    struct Payload {
        CacheInformation cacheInformation;
        CacheSetting cacheSetting;
        HotplugInformation hotplugInformation;
        uint32_t cacheInformationValid;
        uint32_t cacheSettingValid;
        uint32_t hotplugInformationValid;
    };

    // Zeroes the padding bytes as well, since the payload goes on the pipe byte for byte.
    DiskCacheSettingData();
    DiskCacheSettingData(const DiskCacheSettingData&) = default;
    DiskCacheSettingData& operator=(const DiskCacheSettingData&) = default;
    virtual ~DiskCacheSettingData();

    Payload payload;
};

static_assert(sizeof(DiskCacheSettingData::CacheInformation) == 24, "DISK_CACHE_INFORMATION is 24 bytes");
static_assert(sizeof(DiskCacheSettingData::CacheSetting) == 12, "DISK_CACHE_SETTING is 12 bytes");
static_assert(offsetof(DiskCacheSettingData::CacheSetting, IsPowerProtected) == 8, "IsPowerProtected at 8");
static_assert(sizeof(DiskCacheSettingData::HotplugInformation) == 8, "STORAGE_HOTPLUG_INFO is 8 bytes");
static_assert(sizeof(DiskCacheSettingData::Payload) == 56, "the payload is 56 bytes");
static_assert(offsetof(DiskCacheSettingData::Payload, cacheInformation) == 0, "cache information at 0");
static_assert(offsetof(DiskCacheSettingData::Payload, cacheSetting) == 24, "cache setting at 24");
static_assert(offsetof(DiskCacheSettingData::Payload, hotplugInformation) == 36, "hot-plug information at 36");
static_assert(offsetof(DiskCacheSettingData::Payload, cacheInformationValid) == 44, "cache information valid at 44");
static_assert(offsetof(DiskCacheSettingData::Payload, cacheSettingValid) == 48, "cache setting valid at 48");
static_assert(offsetof(DiskCacheSettingData::Payload, hotplugInformationValid) == 52, "hot-plug valid at 52");
#ifdef _WIN32
static_assert(offsetof(DiskCacheSettingData::Payload, hotplugInformation.Size) == 36, "Size at 36");
static_assert(offsetof(DiskCacheSettingData::Payload, hotplugInformation.MediaRemovable) == 40, "MediaRemovable at 40");
static_assert(offsetof(DiskCacheSettingData::Payload, hotplugInformation.MediaHotplug) == 41, "MediaHotplug at 41");
static_assert(offsetof(DiskCacheSettingData::Payload, hotplugInformation.DeviceHotplug) == 42, "DeviceHotplug at 42");
static_assert(offsetof(DiskCacheSettingData::Payload, hotplugInformation.WriteCacheEnableOverride) == 43,
              "WriteCacheEnableOverride at 43");
#endif

}  // namespace Marlin
