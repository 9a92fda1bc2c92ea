// The real drives behind IDiskDriveIo.
#pragma once

#include "IDiskDriveIo.h"

namespace Marlin {

class CDiskDriveIo : public IDiskDriveIo {
public:
    CDiskDriveIo() = default;
    ~CDiskDriveIo() override;

    // GENERIC_READ with read and write sharing: the queries need no more, and a drive in
    // use by others must still open.
    std::unique_ptr<IDiskDrive> Open(const std::wstring& devicePath) override;
};

}  // namespace Marlin
