// A scripted set of drives for the disk-cache reader: each drive path answers each I/O
// control as its script says, and every open and control is recorded. Used from the
// server thread and the test thread at once, hence the lock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "IDiskDriveIo.h"

namespace svctest {

struct FakeAnswer {
    bool succeeds = true;
    std::vector<uint8_t> bytes;  // written to the output buffer (cut to its size)
    DWORD returned = 0;          // the byte count reported back
};

// code -> answer; a code without an entry fails with ERROR_INVALID_FUNCTION, as a driver
// that does not know the control.
using DriveScript = std::map<DWORD, FakeAnswer>;

struct ControlCall {
    std::wstring path;
    DWORD code;
    DWORD outSize;
    bool outZeroed;  // the output buffer held only zeros when the call was made
};

class FakeDiskDriveIo : public Marlin::IDiskDriveIo {
public:
    FakeDiskDriveIo() = default;
    ~FakeDiskDriveIo() override;

    // A drive that opens under this device path.
    void AddDrive(const std::wstring& devicePath, DriveScript script);

    std::unique_ptr<Marlin::IDiskDrive> Open(const std::wstring& devicePath) override;

    std::vector<std::wstring> OpenAttempts() const;
    std::vector<ControlCall> Calls() const;
    int OpenDrives() const;  // opened and not yet closed
    void ClearRecords();

private:
    class Drive;
    friend class Drive;

    mutable std::mutex lock_;
    std::map<std::wstring, DriveScript> drives_;
    std::vector<std::wstring> openAttempts_;
    std::vector<ControlCall> calls_;
    int openDrives_ = 0;
};

// The machine's drives the tests use:
// E: a fixed disk whose three controls all answer (FixedDiskScript);
// U: a removable medium that answers only the hot-plug query (RemovableMediumScript);
// S: a disk whose cache information comes back short (ShortCacheInformationScript).
// Other letters have no volume and do not open.
DriveScript FixedDiskScript();
DriveScript RemovableMediumScript();
DriveScript ShortCacheInformationScript();
void AddStandardDrives(FakeDiskDriveIo& drives);

// The platform records the scripts answer with, as the bytes they put on the wire.
std::vector<uint8_t> FixedDiskCacheInformation();  // 24 bytes
std::vector<uint8_t> FixedDiskCacheSetting();      // 12 bytes
std::vector<uint8_t> FixedDiskHotplug();           // 8 bytes
std::vector<uint8_t> RemovableMediumHotplug();     // 8 bytes

}  // namespace svctest
