#include "PopupWatcher.h"

namespace quaytest {

namespace {

struct Search {
    HWND owner;
    HWND found = nullptr;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (GetWindow(window, GW_OWNER) == search->owner && std::wstring(cls) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[2048] = {};
    const int n = GetWindowTextW(window, buffer, 2048);
    return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

BOOL CALLBACK CollectText(HWND child, LPARAM data) {
    auto* texts = reinterpret_cast<std::vector<std::wstring>*>(data);
    std::wstring text = TextOf(child);
    if (!text.empty()) texts->push_back(text);
    return TRUE;
}

}  // namespace

PopupWatcher::PopupWatcher(HWND owner, int button, int checkBox, DWORD timeoutMs)
    : thread_([this, owner, button, checkBox, timeoutMs] { Watch(owner, button, checkBox, timeoutMs); }) {}

PopupWatcher::~PopupWatcher() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

PopupSeen PopupWatcher::Finish() {
    if (thread_.joinable()) thread_.join();
    return seen_;
}

void PopupWatcher::Watch(HWND owner, int button, int checkBox, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    DWORD thread = GetWindowThreadProcessId(owner, nullptr);
    while (!stop_ && GetTickCount() - start < timeoutMs) {
        Search search{owner};
        EnumThreadWindows(thread, &FindOwned, reinterpret_cast<LPARAM>(&search));
        // A popup is answerable once it is shown: before that its controls may still be filled in.
        if (search.found && IsWindowVisible(search.found)) {
            seen_.appeared = true;
            seen_.ownerVisible = IsWindowVisible(owner) != FALSE;
            seen_.title = TextOf(search.found);
            EnumChildWindows(search.found, &CollectText, reinterpret_cast<LPARAM>(&seen_.texts));
            if (checkBox) SendDlgItemMessageW(search.found, checkBox, BM_SETCHECK, BST_CHECKED, 0);
            PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(search.found, button)));
            return;
        }
        Sleep(20);
    }
}

}  // namespace quaytest
