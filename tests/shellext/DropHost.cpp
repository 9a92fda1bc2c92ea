#include "DropHost.h"

#include <algorithm>

#include "TestFiles.h"
#include "TestHarness.h"

namespace droptest {

namespace {

const GUID kHandlerClass = {0x08AD79C1, 0x121F, 0x4e72, {0xBD, 0xB5, 0x94, 0xCB, 0xDA, 0xB0, 0x05, 0x71}};

void Append(HMENU menu, UINT id, ULONG_PTR data, const wchar_t* text) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE | MIIM_STRING;
    item.fType = MFT_STRING;
    item.wID = id;
    item.dwItemData = data;
    item.dwTypeData = const_cast<wchar_t*>(text);
    if (!InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item))
        FAIL("cannot build the drop menu: error " + std::to_string(GetLastError()));
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

}  // namespace

Marlin::MenuHandle ExplorerDropMenu(bool copy, bool move, int defaultEntry, Numbering numbering) {
    Marlin::MenuHandle menu(CreatePopupMenu());
    if (!menu) FAIL("CreatePopupMenu failed");
    const bool byData = numbering == Numbering::ItemData;
    if (copy) Append(menu.get(), byData ? 0x7011 : 1, byData ? 0x80808080 : 0, L"ここにコピー(&C)");
    if (move) Append(menu.get(), byData ? 0x7012 : 2, byData ? 0x80808081 : 0, L"ここに移動(&M)");
    Append(menu.get(), byData ? 0x7013 : 3, 0, L"ショートカットをここに作成(&S)");
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    separator.fType = MFT_SEPARATOR;
    InsertMenuItemW(menu.get(), static_cast<UINT>(GetMenuItemCount(menu.get())), TRUE, &separator);
    Append(menu.get(), byData ? 0x7014 : 4, 0, L"キャンセル");
    if (defaultEntry == 1 || defaultEntry == 2) {
        const UINT id = byData ? 0x7010 + static_cast<UINT>(defaultEntry) : static_cast<UINT>(defaultEntry);
        SetMenuDefaultItem(menu.get(), id, FALSE);
    }
    return menu;
}

std::vector<std::string> MenuLines(HMENU menu) {
    std::vector<std::string> lines;
    const UINT defaultId = GetMenuDefaultItem(menu, FALSE, 0);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
        item.dwTypeData = text;
        item.cch = 256;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item)) FAIL("GetMenuItemInfoW failed");
        if (item.fType & MFT_SEPARATOR) {
            lines.push_back("---");
            continue;
        }
        std::string line = quaytest::Utf8(text) + " #" + std::to_string(item.wID);
        if (item.wID == defaultId) line += " (default)";
        if (item.fState & MFS_DISABLED) line += " (disabled)";
        lines.push_back(line);
    }
    return lines;
}

Marlin::ComPointer<IDataObject> ShellDataObject(const std::vector<std::wstring>& files) {
    if (files.empty()) FAIL("no files to drag");
    Marlin::ComPointer<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) FAIL("SHGetDesktopFolder failed");
    std::wstring folderPath = FolderOf(files[0]);
    Marlin::CoTaskMemory<ITEMIDLIST> folderList = FolderIdList(folderPath);
    Marlin::ComPointer<IShellFolder> folder;
    if (FAILED(desktop->BindToObject(folderList.get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder.put()))))
        FAIL("cannot bind to " + quaytest::Utf8(folderPath));
    std::vector<Marlin::CoTaskMemory<ITEMIDLIST>> children;
    std::vector<LPCITEMIDLIST> items;
    for (const auto& file : files) {
        std::wstring name = file.substr(file.find_last_of(L'\\') + 1);
        Marlin::CoTaskMemory<ITEMIDLIST> child;
        if (FAILED(folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, child.put(), nullptr)))
            FAIL("cannot parse " + quaytest::Utf8(file));
        items.push_back(child.get());
        children.push_back(std::move(child));
    }
    Marlin::ComPointer<IDataObject> data;
    if (FAILED(folder->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()), items.data(), IID_IDataObject, nullptr,
                                     reinterpret_cast<void**>(data.put()))))
        FAIL("the folder gives no data object");
    return data;
}

Marlin::CoTaskMemory<ITEMIDLIST> FolderIdList(const std::wstring& path) {
    Marlin::CoTaskMemory<ITEMIDLIST> list = TryFolderIdList(path);
    if (!list) FAIL("cannot make the ID list of " + quaytest::Utf8(path));
    return list;
}

Marlin::CoTaskMemory<ITEMIDLIST> TryFolderIdList(const std::wstring& path) {
    // The shell parses a whole path only up to MAX_PATH characters; a deeper folder is
    // reached as the Explorer reaches it, one folder at a time from its longest parsable
    // ancestor.
    size_t split = path.size();
    while (split >= MAX_PATH) split = path.find_last_of(L'\\', split - 1);
    Marlin::CoTaskMemory<ITEMIDLIST> list;
    if (FAILED(SHParseDisplayName(path.substr(0, split).c_str(), nullptr, list.put(), 0, nullptr)))
        return Marlin::CoTaskMemory<ITEMIDLIST>();
    while (split < path.size()) {
        const size_t next = path.find(L'\\', split + 1);
        std::wstring name = path.substr(split + 1, next == std::wstring::npos ? std::wstring::npos : next - split - 1);
        split = next == std::wstring::npos ? path.size() : next;
        Marlin::ComPointer<IShellFolder> desktop, folder;
        Marlin::CoTaskMemory<ITEMIDLIST> child;
        if (FAILED(SHGetDesktopFolder(desktop.put())) ||
            FAILED(desktop->BindToObject(list.get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder.put()))) ||
            FAILED(folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, child.put(), nullptr)))
            return Marlin::CoTaskMemory<ITEMIDLIST>();
        list.reset(ILCombine(list.get(), child.get()));
    }
    return list;
}

namespace {

class DropFiles final : public IDataObject {
public:
    explicit DropFiles(std::vector<std::wstring> files) : files_(std::move(files)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *out = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }
    // A fresh DROPFILES block, the names after it, each ended by a NUL and all by another.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        size_t units = 1;
        for (const auto& file : files_) units += file.size() + 1;
        Marlin::GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * 2));
        if (!memory) return E_OUTOFMEMORY;
        auto* block = static_cast<DROPFILES*>(GlobalLock(memory.get()));
        block->pFiles = sizeof(DROPFILES);
        block->fWide = TRUE;
        auto* names = reinterpret_cast<wchar_t*>(block + 1);
        for (const auto& file : files_) {
            std::copy(file.begin(), file.end(), names);
            names += file.size() + 1;
        }
        GlobalUnlock(memory.get());
        medium->tymed = TYMED_HGLOBAL;
        medium->pUnkForRelease = nullptr;
        medium->hGlobal = memory.release();
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* f) override {
        return f && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~DropFiles() = default;
    LONG references_ = 1;
    std::vector<std::wstring> files_;
};

}  // namespace

Marlin::ComPointer<IDataObject> DropFilesDataObject(const std::vector<std::wstring>& files) {
    return Marlin::ComPointer<IDataObject>(new DropFiles(files));
}

Marlin::CoTaskMemory<ITEMIDLIST> SpecialFolderIdList(int csidl) {
    Marlin::CoTaskMemory<ITEMIDLIST> list;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.put()))) FAIL("no special folder " + std::to_string(csidl));
    return list;
}

HandlerModule::HandlerModule(const std::wstring& dll) : module_(LoadLibraryW(dll.c_str())) {
    if (!module_) FAIL("cannot load " + quaytest::Utf8(dll) + ": error " + std::to_string(GetLastError()));
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module_.get(), "DllGetClassObject")));
    if (!get) FAIL("no DllGetClassObject");
    if (FAILED(get(kHandlerClass, IID_IClassFactory, reinterpret_cast<void**>(factory_.put()))))
        FAIL("no class factory for the handler");
}

Marlin::ComPointer<IUnknown> HandlerModule::Create() const {
    Marlin::ComPointer<IUnknown> handler;
    if (FAILED(factory_->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(handler.put()))))
        FAIL("the class factory made no handler");
    return handler;
}

Handler::Handler(const HandlerModule& module)
    : object(module.Create()), init(Query<IShellExtInit>(object.get())), menu(Query<IContextMenu>(object.get())) {
    REQUIRE(init && menu);
}

void Handler::Drop(const std::vector<std::wstring>& files, const std::wstring& folder) {
    auto data = files[0].size() < MAX_PATH ? ShellDataObject(files) : DropFilesDataObject(files);
    auto target = FolderIdList(folder);
    REQUIRE_EQ(init->Initialize(target.get(), data.get(), nullptr), S_OK);
    auto drop = ExplorerDropMenu(true, true, 1, Numbering::CommandIds);
    REQUIRE_EQ(menu->QueryContextMenu(drop.get(), 0, kFirstCommand, 0x7FFF, CMF_NORMAL), 3);
}

HRESULT Handler::Invoke(const char* verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

}  // namespace droptest
