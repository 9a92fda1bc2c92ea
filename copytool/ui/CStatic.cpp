#include "CStatic.h"

#include <commctrl.h>

#include "TraceCaught.h"

namespace Marlin {

namespace {

// One identifier for the framework's subclass, so that the link can be found again.
constexpr UINT_PTR kSubclassId = 0x51A7;

}  // namespace

CStatic::CStatic() = default;

CStatic::~CStatic() { UnsubclassWindow(); }

bool CStatic::SubclassDlgItem(int id, HWND parent) {
    return parent && SubclassWindow(GetDlgItem(parent, id));
}

bool CStatic::SubclassWindow(HWND control) {
    if (hwnd_ || !control) return false;
    if (!SetWindowSubclass(control, &CStatic::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = control;
    return true;
}

void CStatic::UnsubclassWindow() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, &CStatic::SubclassProc, kSubclassId);
    hwnd_ = nullptr;
}

LRESULT CStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CStatic::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CStatic::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR selfData) {
    auto* self = reinterpret_cast<CStatic*>(selfData);
    if (message == WM_NCDESTROY) {
        // The control goes first: detach so that the destructor has nothing left to undo.
        RemoveWindowSubclass(hwnd, &CStatic::SubclassProc, kSubclassId);
        if (self) self->hwnd_ = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (!self) return DefSubclassProc(hwnd, message, wParam, lParam);
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's window code.
        TraceCaught(L"CStatic::WindowProc");
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace Marlin
