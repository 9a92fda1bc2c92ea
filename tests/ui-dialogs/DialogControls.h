// Reading and working a dialog of another thread the way the user would: control texts,
// button clicks, keys, the close box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quaytest {

std::wstring ControlText(HWND dialog, int id);
std::wstring WindowText(HWND window);
// The texts of all child controls, in creation order (fixed texts have no identifier).
std::vector<std::wstring> ChildTexts(HWND dialog);

// A mouse click on button id (BM_CLICK): the button notifies the dialog itself.
void Click(HWND dialog, int id);
// A key pressed in the dialog, posted to the control that has the dialog thread's focus.
void PressKey(HWND dialog, UINT virtualKey);
// The close box (WM_CLOSE) and the system menu's close command (SC_CLOSE).
void CloseBox(HWND dialog);
void SystemMenuClose(HWND dialog);

bool IsChecked(HWND dialog, int id);
// Whether button id has the default push button style.
bool IsDefaultButton(HWND dialog, int id);
// The identifier the dialog manager presses on Enter (DM_GETDEFID), or 0 for none.
int DefaultId(HWND dialog);
// The control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);

}  // namespace quaytest
