// The drop handler: one object per right-drag drop. The Explorer hands it the dropped
// items (Initialize), asks it for its menu entries (QueryContextMenu) and, when the user
// picks one, runs it (InvokeCommand), which hands the job to the copy tool and returns
// once the copy tool has taken it.
//
// The object may be aggregated: its own IUnknown is then InnerUnknown(), and every other
// interface's IUnknown calls go to the outer object.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

#include "QuaydropIdl.h"
#include "UniqueHandle.h"

namespace Marlin {

class ShellExDragDropHandlers final : public IShellExDragDropHandlers, public IShellExtInit, public IContextMenu {
public:
    // The menu command offsets: the copy entry and the move entry.
    static constexpr UINT kCopyOffset = 0;
    static constexpr UINT kMoveOffset = 1;

    // outer is the aggregating object, or null. The object starts with one reference of
    // its own unknown, and holds a lock on the module while it lives.
    explicit ShellExDragDropHandlers(IUnknown* outer);
    ShellExDragDropHandlers(const ShellExDragDropHandlers&) = delete;
    ShellExDragDropHandlers& operator=(const ShellExDragDropHandlers&) = delete;

    IUnknown* InnerUnknown() { return &inner_; }

    // IUnknown, delegated to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, served from the type library in the module.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // IShellExtInit: takes the dropped paths (CF_HDROP) and the folder dropped on. A
    // second call replaces what the first one gave. Always S_OK.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY programKey) override;

    // IContextMenu.
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* information) override;
    STDMETHODIMP GetCommandString(UINT_PTR id, UINT type, UINT* reserved, CHAR* name, UINT size) override;

    const std::vector<std::wstring>& Sources() const { return sources_; }
    const std::wstring& Target() const { return target_; }

private:
    // The non-delegating unknown: the object's identity and life.
    class Inner final : public IUnknown {
    public:
        explicit Inner(ShellExDragDropHandlers& self) : self_(self) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        ShellExDragDropHandlers& self_;
    };

    ~ShellExDragDropHandlers();

    // The type information of IShellExDragDropHandlers, loaded on first use.
    HRESULT LoadTypeInfo();

    Inner inner_;
    IUnknown* outer_;  // the controlling unknown: the aggregate, or inner_
    LONG references_ = 1;
    ComPointer<ITypeInfo> typeInfo_;
    std::vector<std::wstring> sources_;
    std::wstring target_;
};

}  // namespace Marlin
