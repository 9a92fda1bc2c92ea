#include "PaintDC.h"

namespace Marlin {

PaintDC::PaintDC(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}

PaintDC::~PaintDC() {
    // EndPaint also when BeginPaint gave no context: it validates the update region, so
    // the window does not receive WM_PAINT again at once.
    ::EndPaint(window_, &paint_);
}

}  // namespace Marlin
