// A drive device opened with CreateFileW and queried with DeviceIoControl.
#pragma once

#include "UniqueHandle.h"
#include "IDiskDrive.h"

namespace Marlin {

class CDiskDrive : public IDiskDrive {
public:
    explicit CDiskDrive(Marlin::FileHandle device);
    ~CDiskDrive() override;

    bool Control(DWORD code, void* out, DWORD outSize, DWORD& returned) override;

private:
    Marlin::FileHandle device_;
};

}  // namespace Marlin
