#include "ScreenDC.h"

namespace Marlin {

ScreenDC::ScreenDC() : dc_(::GetDC(nullptr)) {}

ScreenDC::~ScreenDC() {
    if (dc_) ::ReleaseDC(nullptr, dc_);
}

}  // namespace Marlin
