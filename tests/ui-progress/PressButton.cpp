// quaysail-press [BUTTON-ID [WAIT-SECONDS]]: presses a button (default 2, cancel) in every
// question dialog or message box that a running copy tool has open (visible dialogs owned
// by another dialog), waiting up to WAIT-SECONDS (default 0) for one to appear. For runs
// without a usable display, where a question would otherwise wait for ever, and for the
// screenshot script. Prints each window it answered; exit code 1 when there was none.
// BUTTON-ID 0 presses nothing: it only waits until a question is open (a script that
// needs the copy tool running, held at a question, synchronises on that).
// Windows are looked for on the caller's desktop only: run it in the same virtual
// desktop (explorer /desktop=NAME) as the copy tool when that has one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    char buffer[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

bool IsDialog(HWND window) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    return std::wstring(cls) == L"#32770";
}

int g_button = IDCANCEL;
int g_pressed = 0;

BOOL CALLBACK Answer(HWND window, LPARAM) {
    HWND owner = GetWindow(window, GW_OWNER);
    if (!IsDialog(window) || !IsWindowVisible(window) || !owner || !IsDialog(owner)) return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (g_button == 0) {
        std::printf("open: \"%s\"\n", Utf8(title).c_str());
    } else {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(g_button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, g_button)));
        std::printf("pressed %d in \"%s\"\n", g_button, Utf8(title).c_str());
    }
    ++g_pressed;
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_button = std::atoi(argv[1]);
    const DWORD waitMs = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) * 1000 : 0;
    const DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(&Answer, 0);
        if (g_pressed > 0 || GetTickCount() - start >= waitMs) break;
        Sleep(100);
    }
    return g_pressed > 0 ? 0 : 1;
}
