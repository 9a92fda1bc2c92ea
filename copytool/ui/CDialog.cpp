#include "CDialog.h"

#include <vector>

#include "TraceCaught.h"

namespace Marlin {

CDialog::CDialog(UINT templateId, HINSTANCE resources) : templateId_(templateId), resources_(resources) {}

CDialog::~CDialog() {
    // DoModal destroys its window before it returns; a dialog object destroyed while its
    // own modal run is on the stack is a caller's fault that would leave a window whose
    // procedure points at freed memory, so cut the link.
    if (hwnd_) SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
}

INT_PTR CDialog::DoModal(HWND owner) {
    if (running_) return -1;
    // The dialog manager disables the top-level window, not a child inside it.
    while (owner && (GetWindowLongW(owner, GWL_STYLE) & WS_CHILD)) owner = GetParent(owner);

    running_ = true;
    ended_ = false;
    result_ = -1;
    HINSTANCE module = resources_ ? resources_ : GetModuleHandleW(nullptr);
    HWND hwnd = CreateDialogParamW(module, MAKEINTRESOURCEW(templateId_), owner, &CDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!hwnd) {
        running_ = false;
        hwnd_ = nullptr;
        return -1;
    }

    // Disabled only after creation, like the system's modal dialogs, so that an owner
    // that is already disabled (by an outer modal dialog) stays disabled afterwards.
    const bool ownerDisabledHere = owner && IsWindowEnabled(owner);
    if (ownerDisabledHere) EnableWindow(owner, FALSE);

    if (!ended_ && hwnd_ && ShowsWhenModalStarts()) ShowWindow(hwnd, SW_SHOWNORMAL);

    while (!ended_ && hwnd_) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Someone outside wants the thread's loop to end: end here and let the outer
            // loop see the quit as well.
            PostQuitMessage(static_cast<int>(msg.wParam));
            if (!ended_) result_ = -1;
            break;
        }
        if (got == -1) {
            if (!ended_) result_ = -1;
            break;
        }
        if (!hwnd_ || !IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // The owner is enabled before the dialog goes, so that activation returns to it and
    // not to some other program's window.
    if (ownerDisabledHere) EnableWindow(owner, TRUE);
    if (hwnd_) DestroyWindow(hwnd);
    hwnd_ = nullptr;
    running_ = false;
    return result_;
}

void CDialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // Wake the loop in case this runs outside a message of this thread's queue (for a
    // sent message the loop is already inside GetMessageW's dispatch and sees ended_).
    if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

HWND CDialog::Item(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }

bool CDialog::SetItemText(int id, const std::wstring& text) const {
    return hwnd_ && SetDlgItemTextW(hwnd_, id, text.c_str());
}

namespace {

std::wstring TextOf(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace

std::wstring CDialog::ItemText(int id) const { return TextOf(Item(id)); }

void CDialog::SetCheck(int id, bool checked) const {
    if (hwnd_) CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CDialog::IsChecked(int id) const { return hwnd_ && IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }

bool CDialog::SetWindowTitle(const std::wstring& text) const { return hwnd_ && SetWindowTextW(hwnd_, text.c_str()); }

std::wstring CDialog::WindowTitle() const { return TextOf(hwnd_); }

BOOL CDialog::OnInitDialog() { return TRUE; }

BOOL CDialog::OnCommand(UINT id, UINT notifyCode, HWND control) {
    // Only real clicks, Enter and Esc: notifications such as BN_SETFOCUS carry the same
    // identifiers.
    if (notifyCode != BN_CLICKED) return FALSE;
    switch (id) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CDialog::ShowsWhenModalStarts() const { return true; }

bool CDialog::ReturnsValueDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT and the creation messages) belong to the
    // dialog manager alone.
    if (!self) return FALSE;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessageUnguarded(message, wParam, lParam);
    } catch (...) {
        TraceCaught(L"CDialog::HandleMessage");
        if (message == WM_INITDIALOG) EndDialog(-1);
        return FALSE;
    }
}

INT_PTR CDialog::HandleMessageUnguarded(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC && lParam != 0) {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (IsChild(hwnd_, control)) {
            const LRESULT brush = SendMessageW(control, kReflectedMessageBase + message, wParam, lParam);
            if (brush != 0) return static_cast<INT_PTR>(brush);
        }
    }

    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) {
        if (ReturnsValueDirectly(message)) return static_cast<INT_PTR>(result);
        if (hwnd_) SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
        return TRUE;
    }

    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
            if (hwnd_) SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace Marlin
