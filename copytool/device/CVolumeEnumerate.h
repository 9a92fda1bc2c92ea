// Lists every drive letter that names a volume, with the volume's unique name, and then
// completes each record with the volume's interface path and device instance ID, which
// is how a drive letter is later found among the device nodes of a USB disk.
#pragma once

#include <vector>

#include "CVolumeEnumerateData.h"
#include "DevicePlatform.h"

namespace Marlin {

class CVolumeEnumerate {
public:
    // volumes is filled by Enumerate and stays the caller's.
    explicit CVolumeEnumerate(std::vector<CVolumeEnumerateData>* volumes,
                              const Marlin::DevicePlatform& platform = Marlin::DevicePlatform::System());
    CVolumeEnumerate(const CVolumeEnumerate&) = delete;
    CVolumeEnumerate& operator=(const CVolumeEnumerate&) = delete;
    virtual ~CVolumeEnumerate();

    // Empties the list, then EnumerateByDriveLetter, then EnumerateByInterface.
    virtual void Enumerate();
    // Appends one record per letter A to Y that names a volume, in ascending order.
    void EnumerateByDriveLetter();
    // Gives the records whose volume a present volume interface leads to that interface's
    // path (with a trailing backslash) and its device instance ID.
    void EnumerateByInterface();

private:
    std::vector<CVolumeEnumerateData>* volumes_;
    Marlin::DevicePlatform platform_;
};

}  // namespace Marlin
