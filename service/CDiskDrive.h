// A drive device opened with CreateFileW and queried with DeviceIoControl.
#pragma once

#include "FileHandle.h"
#include "IDiskDrive.h"

class CDiskDrive : public IDiskDrive {
public:
    explicit CDiskDrive(Quay::FileHandle device);
    ~CDiskDrive() override;

    bool Control(DWORD code, void* out, DWORD outSize, DWORD& returned) override;

private:
    Quay::FileHandle device_;
};
