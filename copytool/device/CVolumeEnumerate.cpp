#include "CVolumeEnumerate.h"

#include <cwchar>
#include <string>

#include "DeviceStrings.h"

namespace Marlin {

namespace {

// GUID_DEVINTERFACE_VOLUME
const GUID kVolumeInterface = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

constexpr DWORD kVolumeNameChars = MAX_PATH;

}  // namespace

CVolumeEnumerate::CVolumeEnumerate(std::vector<CVolumeEnumerateData>* volumes, const Marlin::DevicePlatform& platform)
    : volumes_(volumes), platform_(platform) {}

CVolumeEnumerate::~CVolumeEnumerate() = default;

void CVolumeEnumerate::Enumerate() {
    if (!volumes_) return;
    volumes_->clear();
    EnumerateByDriveLetter();
    EnumerateByInterface();
}

void CVolumeEnumerate::EnumerateByDriveLetter() {
    if (!volumes_) return;
    // Z is not probed, so a destination on Z: is never taken for a USB drive.
    for (wchar_t letter = L'A'; letter <= L'Y'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        wchar_t name[kVolumeNameChars + 1] = {};
        if (!platform_.MountPoints().QueryVolumeName(root, name, kVolumeNameChars)) continue;
        volumes_->emplace_back(letter, std::wstring(name, wcsnlen(name, kVolumeNameChars)));
    }
}

void CVolumeEnumerate::EnumerateByInterface() {
    if (!volumes_) return;
    for (const Marlin::IDeviceInterfaces::Entry& entry : platform_.Interfaces().List(kVolumeInterface)) {
        const std::wstring interfacePath = entry.devicePath + L'\\';
        // A fresh buffer per interface, and only a successful answer counts: a failed query
        // must not leave the previous volume's name behind to be matched again.
        wchar_t name[kVolumeNameChars + 1] = {};
        if (!platform_.MountPoints().QueryVolumeName(interfacePath.c_str(), name, kVolumeNameChars)) continue;
        const std::wstring volumeName(name, wcsnlen(name, kVolumeNameChars));
        if (volumeName.empty()) continue;

        for (CVolumeEnumerateData& volume : *volumes_) {
            if (!Marlin::EqualsIgnoreCase(volume.volumeName, volumeName)) continue;
            volume.interfacePath = interfacePath;
            if (entry.devInst != 0) volume.deviceId = entry.deviceId;
        }
    }
}

}  // namespace Marlin
