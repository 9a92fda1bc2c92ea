// The real mount manager behind IVolumeMountPoints.
#pragma once

#include "IVolumeMountPoints.h"

namespace Marlin {

class CVolumeMountPoints : public IVolumeMountPoints {
public:
    CVolumeMountPoints() = default;
    ~CVolumeMountPoints() override;

    bool QueryVolumeName(const wchar_t* mountPoint, wchar_t* volumeName, DWORD chars) override;
};

}  // namespace Marlin
