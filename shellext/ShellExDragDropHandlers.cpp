#include "ShellExDragDropHandlers.h"

#include <shellapi.h>

#include "DropMenu.h"
#include "QuaydropIds.h"
#include "QuaydropModule.h"
#include "RunSluiceServer.h"
#include "TraceCaught.h"

namespace Marlin {

namespace {

// A text of the module's string table; empty when it is missing.
std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(QuaydropModule::Instance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

// The dropped paths of CF_HDROP data, in the order the data gives them, empty names left out.
void ReadDroppedPaths(IDataObject* data, std::vector<std::wstring>& sources) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    if (FAILED(data->GetData(&format, medium.put()))) {
        medium.release();  // a failed GetData filled nothing of ours
        return;
    }
    if (medium.get().tymed != TYMED_HGLOBAL) return;
    const HGLOBAL memory = medium.get().hGlobal;
    LockedGlobal locked(GlobalLocking{memory, GlobalLock(memory)});
    if (!locked) return;
    const auto drop = static_cast<HDROP>(memory);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Each name as long as it is: a fixed MAX_PATH buffer would cut long paths.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring path(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(copied);
        if (!path.empty()) sources.push_back(std::move(path));
    }
}

}  // namespace

ShellExDragDropHandlers::ShellExDragDropHandlers(IUnknown* outer) : inner_(*this), outer_(outer ? outer : &inner_) {
    QuaydropModule::Lock();
}

ShellExDragDropHandlers::~ShellExDragDropHandlers() { QuaydropModule::Unlock(); }

STDMETHODIMP ShellExDragDropHandlers::Inner::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
    } else if (IsEqualIID(riid, IID_IShellExDragDropHandlers) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IShellExDragDropHandlers*>(&self_);
    } else if (IsEqualIID(riid, IID_IShellExtInit)) {
        *object = static_cast<IShellExtInit*>(&self_);
    } else if (IsEqualIID(riid, IID_IContextMenu)) {
        *object = static_cast<IContextMenu*>(&self_);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ShellExDragDropHandlers::Inner::AddRef() { return InterlockedIncrement(&self_.references_); }

STDMETHODIMP_(ULONG) ShellExDragDropHandlers::Inner::Release() {
    const ULONG left = InterlockedDecrement(&self_.references_);
    if (left == 0) delete &self_;
    return left;
}

STDMETHODIMP ShellExDragDropHandlers::QueryInterface(REFIID riid, void** object) {
    return outer_->QueryInterface(riid, object);
}

STDMETHODIMP_(ULONG) ShellExDragDropHandlers::AddRef() { return outer_->AddRef(); }

STDMETHODIMP_(ULONG) ShellExDragDropHandlers::Release() { return outer_->Release(); }

HRESULT ShellExDragDropHandlers::LoadTypeInfo() {
    if (typeInfo_) return S_OK;
    ComPointer<ITypeLib> library;
    const std::wstring module = QuaydropModule::ModulePath();
    HRESULT hr = LoadTypeLibEx(module.c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(IID_IShellExDragDropHandlers, typeInfo_.put());
}

STDMETHODIMP ShellExDragDropHandlers::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP ShellExDragDropHandlers::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    typeInfo_->AddRef();
    *info = typeInfo_.get();
    return S_OK;
}

STDMETHODIMP ShellExDragDropHandlers::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    return typeInfo_->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP ShellExDragDropHandlers::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* parameters,
                                             VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    return typeInfo_->Invoke(static_cast<IShellExDragDropHandlers*>(this), id, flags, parameters, result, exception,
                             argumentError);
}

STDMETHODIMP ShellExDragDropHandlers::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) {
    try {
        sources_.clear();
        target_.clear();
        if (data) ReadDroppedPaths(data, sources_);
        if (folder) {
            // Room for a long path: a folder deeper than MAX_PATH is still a target.
            std::wstring path(32768, L'\0');
            if (SHGetPathFromIDListEx(folder, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
                path.resize(wcslen(path.c_str()));
                target_ = std::move(path);
            }
        }
    } catch (...) {
        // Out of memory: no entries will be offered for this drop.
        TraceCaught(L"ShellExDragDropHandlers::Initialize");
        sources_.clear();
        target_.clear();
    }
    return S_OK;
}

STDMETHODIMP ShellExDragDropHandlers::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                                       UINT flags) {
    if (flags != 0) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    try {
        const std::wstring copyTool = QuaydropModule::CopyToolPath();
        if (GetFileAttributesW(copyTool.c_str()) == INVALID_FILE_ATTRIBUTES || sources_.empty() || target_.empty())
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        const UINT count = DropMenu::Insert(menu, index, firstId, lastId, LoadText(IDS_COPY_HERE),
                                            LoadText(IDS_MOVE_HERE), DropMenu::OnAnotherDrive(sources_, target_));
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, count);
    } catch (...) {
        TraceCaught(L"ShellExDragDropHandlers::QueryContextMenu");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    }
}

STDMETHODIMP ShellExDragDropHandlers::InvokeCommand(CMINVOKECOMMANDINFO* information) {
    // A verb is an offset when all its bits above the low 16 are clear; in a 64-bit build
    // a string's address may well have a clear high word in its low 32 bits.
    if (!information || !IS_INTRESOURCE(information->lpVerb)) return E_INVALIDARG;
    const UINT offset = static_cast<UINT>(reinterpret_cast<UINT_PTR>(information->lpVerb));
    if (offset != kCopyOffset && offset != kMoveOffset) return S_OK;
    try {
        const std::wstring copyTool = QuaydropModule::CopyToolPath();
        const int32_t moveFlag = offset == kMoveOffset ? 1 : 0;
        RunSluiceServer server;
        server.SetJob(&copyTool, &sources_, &target_, &moveFlag);
        server.HandOff();
    } catch (...) {
        // Nothing is shown to the user from the Explorer's thread; the drop just does nothing.
        TraceCaught(L"ShellExDragDropHandlers::InvokeCommand");
    }
    return S_OK;
}

STDMETHODIMP ShellExDragDropHandlers::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) { return E_NOTIMPL; }

}  // namespace Marlin
