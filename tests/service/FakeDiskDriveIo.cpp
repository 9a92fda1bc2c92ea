#include "FakeDiskDriveIo.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

using Marlin::IDiskDrive;

namespace svctest {

class FakeDiskDriveIo::Drive : public IDiskDrive {
public:
    Drive(FakeDiskDriveIo& owner, std::wstring path, DriveScript script)
        : owner_(owner), path_(std::move(path)), script_(std::move(script)) {}
    ~Drive() override {
        std::lock_guard<std::mutex> hold(owner_.lock_);
        --owner_.openDrives_;
    }

    bool Control(DWORD code, void* out, DWORD outSize, DWORD& returned) override {
        const auto* bytes = static_cast<const uint8_t*>(out);
        bool zeroed = std::all_of(bytes, bytes + outSize, [](uint8_t b) { return b == 0; });
        {
            std::lock_guard<std::mutex> hold(owner_.lock_);
            owner_.calls_.push_back({path_, code, outSize, zeroed});
        }
        returned = 0;
        auto it = script_.find(code);
        if (it == script_.end()) {
            SetLastError(ERROR_INVALID_FUNCTION);
            return false;
        }
        const FakeAnswer& answer = it->second;
        std::memcpy(out, answer.bytes.data(), std::min<size_t>(answer.bytes.size(), outSize));
        returned = answer.returned;
        if (!answer.succeeds) SetLastError(ERROR_INVALID_FUNCTION);
        return answer.succeeds;
    }

private:
    FakeDiskDriveIo& owner_;
    std::wstring path_;
    DriveScript script_;
};

namespace {

// Device names are matched without regard to case, as the object manager does.
std::wstring Key(std::wstring path) {
    for (auto& c : path) c = static_cast<wchar_t>(towupper(c));
    return path;
}

}  // namespace

FakeDiskDriveIo::~FakeDiskDriveIo() = default;

void FakeDiskDriveIo::AddDrive(const std::wstring& devicePath, DriveScript script) {
    std::lock_guard<std::mutex> hold(lock_);
    drives_[Key(devicePath)] = std::move(script);
}

std::unique_ptr<IDiskDrive> FakeDiskDriveIo::Open(const std::wstring& devicePath) {
    std::lock_guard<std::mutex> hold(lock_);
    openAttempts_.push_back(devicePath);
    auto it = drives_.find(Key(devicePath));
    if (it == drives_.end()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    ++openDrives_;
    return std::make_unique<Drive>(*this, devicePath, it->second);
}

std::vector<std::wstring> FakeDiskDriveIo::OpenAttempts() const {
    std::lock_guard<std::mutex> hold(lock_);
    return openAttempts_;
}

std::vector<ControlCall> FakeDiskDriveIo::Calls() const {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
}

int FakeDiskDriveIo::OpenDrives() const {
    std::lock_guard<std::mutex> hold(lock_);
    return openDrives_;
}

void FakeDiskDriveIo::ClearRecords() {
    std::lock_guard<std::mutex> hold(lock_);
    openAttempts_.clear();
    calls_.clear();
}

// DISK_CACHE_INFORMATION: savable 1, read cache 1, write cache 1, pad, read retention 2,
// write retention 1, disable-prefetch length 0x1234, scalar prefetch 1, pad, minimum 0x10,
// maximum 0x80, maximum blocks 0x100, pad.
std::vector<uint8_t> FixedDiskCacheInformation() {
    return {0x01, 0x01, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
            0x34, 0x12, 0x01, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0x01, 0x00, 0x00};
}

// DISK_CACHE_SETTING: version 12, state 2 (write cache enabled), power protected 1.
std::vector<uint8_t> FixedDiskCacheSetting() {
    return {0x0C, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
}

// STORAGE_HOTPLUG_INFO: size 8, nothing removable or hot-pluggable.
std::vector<uint8_t> FixedDiskHotplug() { return {0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}; }

// STORAGE_HOTPLUG_INFO: size 8, media removable 1, media hot-plug 0, device hot-plug 1,
// write-cache override 0.
std::vector<uint8_t> RemovableMediumHotplug() { return {0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00}; }

DriveScript FixedDiskScript() {
    return {
        {0x740D4, {true, FixedDiskCacheInformation(), 24}},
        {0x740E0, {true, FixedDiskCacheSetting(), 12}},
        {0x2D0C14, {true, FixedDiskHotplug(), 8}},
    };
}

DriveScript RemovableMediumScript() {
    // The stick's driver knows neither cache query; the hot-plug query is the storage
    // stack's own and always answers.
    return {
        {0x2D0C14, {true, RemovableMediumHotplug(), 8}},
    };
}

DriveScript ShortCacheInformationScript() {
    // The cache information call succeeds but fills only 20 bytes; the cache setting
    // succeeds without writing anything.
    std::vector<uint8_t> partial = FixedDiskCacheInformation();
    partial.resize(20);
    return {
        {0x740D4, {true, partial, 20}},
        {0x740E0, {true, {}, 0}},
        {0x2D0C14, {true, FixedDiskHotplug(), 8}},
    };
}

void AddStandardDrives(FakeDiskDriveIo& drives) {
    drives.AddDrive(L"\\\\.\\E:", FixedDiskScript());
    drives.AddDrive(L"\\\\.\\U:", RemovableMediumScript());
    drives.AddDrive(L"\\\\.\\S:", ShortCacheInformationScript());
}

}  // namespace svctest
