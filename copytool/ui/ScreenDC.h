// The screen's device context (GetDC of no window), released when the owner goes.
// Empty when the system gives none; callers then fall back to their defaults.
#pragma once

#include <windows.h>

namespace Marlin {

class ScreenDC {
public:
    ScreenDC();
    ~ScreenDC();
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HDC dc_;
};

}  // namespace Marlin
