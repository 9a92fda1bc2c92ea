// A label drawn over a picture: only its text is painted, so whatever the dialog drew
// behind it (the banner, a coloured band) shows through. Because it paints no
// background, the previous text would stay visible under a new one; every change of
// text therefore has the parent repaint the label's area first.
//
// Attach with SubclassDlgItem inside a CDialog, which reflects WM_CTLCOLORSTATIC to it.
#pragma once

#include <windows.h>

#include "CStatic.h"

namespace Marlin {

class CTransparentStatic : public CStatic {
public:
    CTransparentStatic();
    ~CTransparentStatic() override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace Marlin
