// A memory device context compatible with another one, for drawing into a bitmap. One
// bitmap can be selected into it at a time; the original selection is put back before
// the context is deleted, so the bitmap is free to be used (or deleted) afterwards.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

namespace Marlin {

class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith);
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const noexcept { return dc_.get(); }
    explicit operator bool() const noexcept { return dc_.valid(); }

    // Selects bitmap, putting back any bitmap selected before. False when it cannot.
    bool Select(HBITMAP bitmap);
    // Puts the original bitmap back, freeing the selected one.
    void Deselect();

private:
    CreatedDC dc_;
    HGDIOBJ original_ = nullptr;  // not owned: the context's own initial bitmap
};

}  // namespace Marlin
