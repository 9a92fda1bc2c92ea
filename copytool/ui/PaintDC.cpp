#include "PaintDC.h"

namespace Marlin {

namespace {

WindowPainting BeginPainting(HWND window) {
    WindowPainting painting;
    painting.window = window;
    // What BeginPaint returns is the context, null when it gives none.
    painting.paint.hdc = ::BeginPaint(window, &painting.paint);
    return painting;
}

}  // namespace

PaintDC::PaintDC(HWND window) : painting_(BeginPainting(window)) {}

}  // namespace Marlin
