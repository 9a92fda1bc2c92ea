#include "MemoryDC.h"

namespace Marlin {

MemoryDC::MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}

// The selection goes back before dc_ deletes the context.
MemoryDC::~MemoryDC() { Deselect(); }

bool MemoryDC::Select(HBITMAP bitmap) {
    if (!dc_ || !bitmap) return false;
    HGDIOBJ previous = ::SelectObject(dc_.get(), bitmap);
    if (!previous || previous == HGDI_ERROR) return false;
    if (!original_) original_ = previous;
    return true;
}

void MemoryDC::Deselect() {
    if (dc_ && original_) ::SelectObject(dc_.get(), original_);
    original_ = nullptr;
}

}  // namespace Marlin
