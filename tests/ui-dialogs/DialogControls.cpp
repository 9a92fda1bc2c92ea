#include "DialogControls.h"

namespace quaytest {

std::wstring WindowText(HWND window) {
    if (!window) return L"<no window>";
    // Sent, not read from the window structure, so that a window of another thread
    // answers for itself, as GetDlgItemTextW does.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return L"<no control " + std::to_wstring(id) + L">";
    wchar_t buffer[1024] = {};
    GetDlgItemTextW(dialog, id, buffer, 1024);
    return buffer;
}

std::vector<std::wstring> ChildTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(WindowText(child));
    return texts;
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PressKey(HWND dialog, UINT virtualKey) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
        (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus)))
        target = info.hwndFocus;
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
}

void CloseBox(HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }

void SystemMenuClose(HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool IsDefaultButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

int DefaultId(HWND dialog) {
    const LRESULT value = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(value) == DC_HASDEFID ? LOWORD(value) : 0;
}

RECT ControlRect(HWND dialog, int id) {
    RECT rect{};
    HWND control = GetDlgItem(dialog, id);
    if (!control) return rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace quaytest
