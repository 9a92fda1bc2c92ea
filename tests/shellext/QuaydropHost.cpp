// quaydrop-host.exe DLL TARGET FILE... — does what the Explorer does when files are
// right-dragged onto a folder: makes the shell's data object of the files, the folder's ID
// list and the drop menu with the Explorer's own entries, lets the Quaydrop.dll given
// add its entries, shows the menu where the mouse is, and runs the entry chosen. Used for
// the picture of the drop menu in the README (scripts/drop-menu-screenshot.sh).
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DropHost.h"
#include "TestHarness.h"

namespace {

constexpr UINT kFirst = droptest::kFirstCommand;

int Run(int argc, wchar_t** argv) {
    const std::wstring dll = argv[1];
    const std::wstring folder = argv[2];
    const std::vector<std::wstring> files(argv + 3, argv + argc);

    droptest::HandlerModule module(dll);
    auto handler = module.Create();
    auto init = droptest::Query<IShellExtInit>(handler.get());
    auto menu = droptest::Query<IContextMenu>(handler.get());
    if (!init || !menu) return 2;
    auto data = droptest::ShellDataObject(files);
    auto target = droptest::FolderIdList(folder);
    init->Initialize(target.get(), data.get(), nullptr);
    auto drop = droptest::ExplorerDropMenu(true, true, 1, droptest::Numbering::CommandIds);
    const HRESULT added = menu->QueryContextMenu(drop.get(), 0, kFirst, 0x7FFF, CMF_NORMAL);
    std::printf("entries added: %ld\n", static_cast<long>(HRESULT_CODE(added)));

    // A window of our own owns the menu, as the Explorer's window does.
    HWND owner = CreateWindowExW(0, L"STATIC", L"quaydrop-host", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    POINT at{24, 24};
    SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(drop.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, owner, nullptr));
    DestroyWindow(owner);
    if (chosen >= kFirst && chosen <= kFirst + 1) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(chosen - kFirst);
        info.nShow = SW_SHOWNORMAL;
        return menu->InvokeCommand(&info) == S_OK ? 0 : 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: quaydrop-host DLL TARGET FILE...\n");
        return 2;
    }
    OleInitialize(nullptr);
    int result = 1;
    try {
        result = Run(argc, argv);
    } catch (const quaytest::Failure&) {
        std::fprintf(stderr, "quaydrop-host: the drop could not be made\n");
    }
    OleUninitialize();
    return result;
}
