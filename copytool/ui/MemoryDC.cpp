#include "MemoryDC.h"

namespace Marlin {

MemoryDC::MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}

MemoryDC::~MemoryDC() {
    Deselect();
    if (dc_) ::DeleteDC(dc_);
}

bool MemoryDC::Select(HBITMAP bitmap) {
    if (!dc_ || !bitmap) return false;
    HGDIOBJ previous = ::SelectObject(dc_, bitmap);
    if (!previous || previous == HGDI_ERROR) return false;
    if (!original_) original_ = previous;
    return true;
}

void MemoryDC::Deselect() {
    if (dc_ && original_) ::SelectObject(dc_, original_);
    original_ = nullptr;
}

}  // namespace Marlin
