// quaytest-installed-handler: run by setup-test.sh in its prefix after an install, with
// QUAYTEST_INSTALLED_DIR set to the installed folder. The Explorer's way to a drop handler,
// CoCreateInstance of its class through the registry, must give a handler of the installed
// Quaydrop.dll, and that handler must offer its two entries (with the separator) on a
// right-drag drop of a file onto a folder, as it does when the copy tool is beside it.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "DropHost.h"
#include "TestFiles.h"
#include "TestHarness.h"

namespace {

const CLSID kHandlerClass = {0x08AD79C1, 0x121F, 0x4e72, {0xBD, 0xB5, 0x94, 0xCB, 0xDA, 0xB0, 0x05, 0x71}};
const std::string kCopy = "Tidewell 高速ファイルコピーでここにコピー";
const std::string kMove = "Tidewell 高速ファイルコピーでここに移動";
constexpr UINT kFirst = droptest::kFirstCommand;

std::wstring InstalledDir() {
    wchar_t dir[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"QUAYTEST_INSTALLED_DIR", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) FAIL("QUAYTEST_INSTALLED_DIR is not set");
    return dir;
}

struct Apartment {
    Apartment() { REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    ~Apartment() { CoUninitialize(); }
};

}  // namespace

TEST_CASE("the registered drop handler is the installed one and offers its two entries") {
    Apartment apartment;
    quaytest::TempDir dir;
    const std::wstring file = dir / L"報告書.txt";
    const std::wstring target = dir / L"target";
    quaytest::WriteBytes(file, "dropped");
    quaytest::MakeDir(target);

    Marlin::ComPointer<IShellExtInit> init;
    HRESULT created = CoCreateInstance(kHandlerClass, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                       reinterpret_cast<void**>(init.put()));
    REQUIRE_EQ(created, S_OK);
    HMODULE module = GetModuleHandleW(L"Quaydrop.dll");
    REQUIRE(module != nullptr);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(module, loaded, MAX_PATH);
    CHECK(lstrcmpiW(loaded, (InstalledDir() + L"\\Quaydrop.dll").c_str()) == 0);
    CONTEXT("loaded from " + quaytest::Utf8(loaded));

    auto data = droptest::ShellDataObject({file});
    auto folder = droptest::FolderIdList(target);
    REQUIRE_EQ(init->Initialize(folder.get(), data.get(), nullptr), S_OK);
    auto contextMenu = droptest::Query<IContextMenu>(init.get());
    REQUIRE(contextMenu);
    auto menu = droptest::ExplorerDropMenu(true, true, 1, droptest::Numbering::CommandIds);
    HRESULT inserted = contextMenu->QueryContextMenu(menu.get(), 0, kFirst, kFirst + 10, CMF_NORMAL);
    CHECK_EQ(HRESULT_CODE(inserted), 3);
    const std::vector<std::string> lines = droptest::MenuLines(menu.get());
    REQUIRE(lines.size() >= 3);
    CHECK_EQ(lines[0], kCopy + " #" + std::to_string(kFirst) + " (default)");
    CHECK_EQ(lines[1], kMove + " #" + std::to_string(kFirst + 1));
    CHECK_EQ(lines[2], std::string("---"));
}
