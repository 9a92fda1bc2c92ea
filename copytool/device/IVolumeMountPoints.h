// The boundary to the volume mount manager: the unique volume name behind a mount point
// (a drive root such as "E:\" or a volume interface path with a trailing backslash).
#pragma once

#include <windows.h>

namespace Marlin {

class IVolumeMountPoints {
public:
    IVolumeMountPoints() = default;
    IVolumeMountPoints(const IVolumeMountPoints&) = delete;
    IVolumeMountPoints& operator=(const IVolumeMountPoints&) = delete;
    virtual ~IVolumeMountPoints() = default;

    // GetVolumeNameForVolumeMountPointW: on failure volumeName need not have been written.
    virtual bool QueryVolumeName(const wchar_t* mountPoint, wchar_t* volumeName, DWORD chars) = 0;
};

}  // namespace Marlin
