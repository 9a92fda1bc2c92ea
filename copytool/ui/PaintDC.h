// BeginPaint and EndPaint of one WM_PAINT, as a scope. EndPaint comes also when
// BeginPaint gave no context: it validates the update region, so the window does not
// receive WM_PAINT again at once.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

namespace Marlin {

class PaintDC {
public:
    explicit PaintDC(HWND window);
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const noexcept { return painting_.get().paint.hdc; }
    explicit operator bool() const noexcept { return get() != nullptr; }

private:
    PaintingHandle painting_;
};

}  // namespace Marlin
