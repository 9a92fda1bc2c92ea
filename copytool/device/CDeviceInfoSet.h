// Owner of a Setup API device-information set (HDEVINFO); destroys it when it goes.
#pragma once

#include <windows.h>
#include <setupapi.h>

namespace Marlin {

class CDeviceInfoSet {
public:
    CDeviceInfoSet() noexcept = default;
    // Takes ownership; INVALID_HANDLE_VALUE (what SetupDiGetClassDevsW returns on failure)
    // means none.
    explicit CDeviceInfoSet(HDEVINFO set) noexcept : set_(set) {}
    ~CDeviceInfoSet();
    CDeviceInfoSet(const CDeviceInfoSet&) = delete;
    CDeviceInfoSet& operator=(const CDeviceInfoSet&) = delete;
    CDeviceInfoSet(CDeviceInfoSet&& other) noexcept;
    CDeviceInfoSet& operator=(CDeviceInfoSet&& other) noexcept;

    HDEVINFO get() const noexcept { return set_; }
    bool valid() const noexcept { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }
    explicit operator bool() const noexcept { return valid(); }
    void reset(HDEVINFO set = INVALID_HANDLE_VALUE) noexcept;
    HDEVINFO release() noexcept;

private:
    HDEVINFO set_ = INVALID_HANDLE_VALUE;
};

}  // namespace Marlin
