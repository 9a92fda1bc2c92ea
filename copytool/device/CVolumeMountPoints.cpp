#include "CVolumeMountPoints.h"

namespace Marlin {

CVolumeMountPoints::~CVolumeMountPoints() = default;

bool CVolumeMountPoints::QueryVolumeName(const wchar_t* mountPoint, wchar_t* volumeName, DWORD chars) {
    return ::GetVolumeNameForVolumeMountPointW(mountPoint, volumeName, chars) != 0;
}

}  // namespace Marlin
