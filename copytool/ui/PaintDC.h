// BeginPaint and EndPaint of one WM_PAINT, as a scope.
#pragma once

#include <windows.h>

namespace Marlin {

class PaintDC {
public:
    explicit PaintDC(HWND window);
    ~PaintDC();
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace Marlin
