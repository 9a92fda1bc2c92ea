// The handler's entries in the Explorer's drop menu, with the real Quaydrop.dll, the
// shell's own data object of real files, the folder dropped on as an ID list and a real
// menu: where the entries go, their texts and IDs, the separator, which item is the
// default, and the value QueryContextMenu returns; and every drop that must leave the
// menu as it was.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "BuildFiles.h"
#include "DropHost.h"
#include "TestFiles.h"
#include "TestHarness.h"

using droptest::ExplorerDropMenu;
using droptest::Handler;
using droptest::Numbering;
using quaytest::TempDir;

namespace {

const std::string kCopy = "Tidewell 高速ファイルコピーでここにコピー";
const std::string kMove = "Tidewell 高速ファイルコピーでここに移動";
const std::vector<std::string> kExplorerTail{"ショートカットをここに作成(&S) #3", "---", "キャンセル #4"};
constexpr UINT kFirst = droptest::kFirstCommand;

std::vector<std::string> Lines(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::string Show(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += "\n      " + line;
    return out;
}

// Quaydrop.dll with the real Quaysail.exe beside it, files to drop on C: and D:, and a
// folder to drop them on.
struct Drop {
    TempDir c{L'C'};
    TempDir d{L'D'};
    std::wstring program = c / L"program";
    std::wstring target = c / L"target";
    std::vector<std::wstring> onC, onD;

    Drop() {
        quaytest::MakeDir(program);
        quaytest::MakeDir(target);
        Copy(quaytest::QuaysailFile(), program + L"\\Quaysail.exe");
        Copy(quaytest::BuildFile(QUAYTEST_QUAYDROP_DLL), program + L"\\Quaydrop.dll");
        for (const wchar_t* name : {L"報告書.txt", L"b.bin"}) {
            onC.push_back(c / (std::wstring(L"src\\") + name));
            onD.push_back(d / name);
        }
        quaytest::MakeDir(c / L"src");
        for (const auto& file : onC) quaytest::WriteBytes(file, "c");
        for (const auto& file : onD) quaytest::WriteBytes(file, "d");
    }
    static void Copy(const std::wstring& from, const std::wstring& to) {
        if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
            FAIL("cannot copy " + quaytest::Utf8(from) + ": error " + std::to_string(GetLastError()));
    }
};


}  // namespace

TEST_CASE("the entries go above the Explorer's own, with a separator, and take its default where they may") {
    Drop drop;
    droptest::HandlerModule module(drop.program + L"\\Quaydrop.dll");
    const std::vector<std::string> explorerBoth{"ここにコピー(&C) #1", "ここに移動(&M) #2"};
    const struct {
        const char* what;
        int sources;  // 0: all on C: (the target's drive), 1: all on D:
        bool copy, move;
        int defaultEntry;
        Numbering numbering;
        UINT last;  // the last command ID the Explorer allows
        HRESULT result;
        std::vector<std::string> lines;
    } rows[] = {
        {"IDs 1 and 2, default copy, sources on D: and target on C:: our copy is the default", 1, true, true, 1,
         Numbering::CommandIds, 0x7FFF, 3,
         Lines({kCopy + " #100 (default)", kMove + " #101", "---", "ここにコピー(&C) #1", "ここに移動(&M) #2"},
               kExplorerTail)},
        {"default move, all on the target's drive: the Explorer's move stays the default", 0, true, true, 2,
         Numbering::CommandIds, 0x7FFF, 3,
         Lines({kCopy + " #100", kMove + " #101", "---", "ここにコピー(&C) #1", "ここに移動(&M) #2 (default)"},
               kExplorerTail)},
        {"default move, the sources on another drive: our move is the default", 1, true, true, 2,
         Numbering::CommandIds, 0x7FFF, 3,
         Lines({kCopy + " #100", kMove + " #101 (default)", "---", "ここにコピー(&C) #1", "ここに移動(&M) #2"},
               kExplorerTail)},
        {"a menu with only a copy entry: our copy and the separator", 1, true, false, 1, Numbering::CommandIds,
         0x7FFF, 2, Lines({kCopy + " #100 (default)", "---", "ここにコピー(&C) #1"}, kExplorerTail)},
        {"a menu with only a move entry: our move and the separator", 1, false, true, 2, Numbering::CommandIds,
         0x7FFF, 2, Lines({kMove + " #101 (default)", "---", "ここに移動(&M) #2"}, kExplorerTail)},
        {"no default in the menu: none of ours either", 1, true, true, 0, Numbering::CommandIds, 0x7FFF, 3,
         Lines({kCopy + " #100", kMove + " #101", "---", "ここにコピー(&C) #1", "ここに移動(&M) #2"}, kExplorerTail)},
        {"entries known by their item data, default copy", 1, true, true, 1, Numbering::ItemData, 0x7FFF, 3,
         {kCopy + " #100 (default)", kMove + " #101", "---", "ここにコピー(&C) #28689", "ここに移動(&M) #28690",
          "ショートカットをここに作成(&S) #28691", "---", "キャンセル #28692"}},
        {"entries known by their item data, default move across drives", 1, true, true, 2, Numbering::ItemData,
         0x7FFF, 3,
         {kCopy + " #100", kMove + " #101 (default)", "---", "ここにコピー(&C) #28689", "ここに移動(&M) #28690",
          "ショートカットをここに作成(&S) #28691", "---", "キャンセル #28692"}},
        {"one command ID left: the move entry, whose ID would pass it, is left out", 1, true, true, 1,
         Numbering::CommandIds, kFirst, 2,
         Lines({kCopy + " #100 (default)", "---", "ここにコピー(&C) #1", "ここに移動(&M) #2"}, kExplorerTail)},
        {"no command ID left: nothing", 1, true, true, 1, Numbering::CommandIds, kFirst - 1, 0,
         Lines({"ここにコピー(&C) #1 (default)", "ここに移動(&M) #2"}, kExplorerTail)},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        Handler handler(module);
        auto data = droptest::ShellDataObject(row.sources == 0 ? drop.onC : drop.onD);
        auto target = droptest::FolderIdList(drop.target);
        CHECK_EQ(handler.init->Initialize(target.get(), data.get(), nullptr), S_OK);
        auto menu = ExplorerDropMenu(row.copy, row.move, row.defaultEntry, row.numbering);
        const HRESULT result = handler.menu->QueryContextMenu(menu.get(), 0, kFirst, row.last, CMF_NORMAL);
        CHECK_EQ(result, row.result);
        CHECK_EQ(Show(droptest::MenuLines(menu.get())), Show(row.lines));
    }
}

TEST_CASE("drops that offer nothing leave the Explorer's menu as it was") {
    Drop drop;
    droptest::HandlerModule module(drop.program + L"\\Quaydrop.dll");
    const std::vector<std::string> untouched =
        Lines({"ここにコピー(&C) #1 (default)", "ここに移動(&M) #2"}, kExplorerTail);

    struct TextOnly final : IDataObject {  // another program's drag of text, without CF_HDROP
        STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
                *out = this;
                return S_OK;
            }
            *out = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 2; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM*) override { return DV_E_FORMATETC; }
        STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
        STDMETHODIMP QueryGetData(FORMATETC* f) override { return f->cfFormat == CF_UNICODETEXT ? S_OK : DV_E_FORMATETC; }
        STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override { return E_NOTIMPL; }
        STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
        STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
        STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
        STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
    } textOnly;

    const struct {
        const char* what;
        bool files;      // the shell's data object of the D: files, else the text-only one
        int target;      // 0: a folder, 1: My Computer (no file-system path), 2: none
        UINT flags;
        bool removeTool;
    } rows[] = {
        {"CMF_DEFAULTONLY", true, 0, CMF_DEFAULTONLY, false},
        {"another flag (CMF_VERBSONLY)", true, 0, CMF_VERBSONLY, false},
        {"a data object without CF_HDROP", false, 0, CMF_NORMAL, false},
        {"a target without a file-system path", true, 1, CMF_NORMAL, false},
        {"no target given", true, 2, CMF_NORMAL, false},
        {"the copy tool removed from the handler's folder", true, 0, CMF_NORMAL, true},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        Handler handler(module);
        auto files = droptest::ShellDataObject(drop.onD);
        IDataObject* data = row.files ? files.get() : &textOnly;
        Marlin::CoTaskMemory<ITEMIDLIST> target;
        if (row.target == 0) target = droptest::FolderIdList(drop.target);
        if (row.target == 1) target = droptest::SpecialFolderIdList(CSIDL_DRIVES);
        CHECK_EQ(handler.init->Initialize(target.get(), data, nullptr), S_OK);
        const std::wstring tool = drop.program + L"\\Quaysail.exe";
        const std::wstring aside = drop.program + L"\\Quaysail.aside";
        if (row.removeTool) REQUIRE(MoveFileW(tool.c_str(), aside.c_str()));
        auto menu = ExplorerDropMenu(true, true, 1, Numbering::CommandIds);
        CHECK_EQ(handler.menu->QueryContextMenu(menu.get(), 0, kFirst, 0x7FFF, row.flags), S_OK);
        CHECK_EQ(Show(droptest::MenuLines(menu.get())), Show(untouched));
        if (row.removeTool) REQUIRE(MoveFileW(aside.c_str(), tool.c_str()));
    }
    // The same handler offers its entries once it is given files and a folder.
    Handler handler(module);
    auto files = droptest::ShellDataObject(drop.onD);
    auto target = droptest::FolderIdList(drop.target);
    CHECK_EQ(handler.init->Initialize(target.get(), &textOnly, nullptr), S_OK);
    auto menu = ExplorerDropMenu(true, true, 1, Numbering::CommandIds);
    CHECK_EQ(handler.menu->QueryContextMenu(menu.get(), 0, kFirst, 0x7FFF, CMF_NORMAL), S_OK);
    CHECK_EQ(handler.init->Initialize(target.get(), files.get(), nullptr), S_OK);
    CHECK_EQ(handler.menu->QueryContextMenu(menu.get(), 0, kFirst, 0x7FFF, CMF_NORMAL), 3);
}
