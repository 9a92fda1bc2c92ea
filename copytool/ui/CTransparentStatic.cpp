#include "CTransparentStatic.h"

#include "CDialog.h"

namespace Marlin {

CTransparentStatic::CTransparentStatic() = default;

CTransparentStatic::~CTransparentStatic() = default;

LRESULT CTransparentStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CDialog::kReflectedMessageBase + WM_CTLCOLORSTATIC) {
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        // A stock object: owned by the system, never deleted.
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    if (message == WM_SETTEXT) {
        const LRESULT stored = Default(message, wParam, lParam);
        HWND parent = GetParent(Hwnd());
        RECT area{};
        if (parent && GetWindowRect(Hwnd(), &area)) {
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
            InvalidateRect(parent, &area, TRUE);
            UpdateWindow(parent);
        }
        return stored;
    }
    return Default(message, wParam, lParam);
}

}  // namespace Marlin
