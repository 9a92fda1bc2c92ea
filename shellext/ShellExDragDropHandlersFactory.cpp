#include "ShellExDragDropHandlersFactory.h"

#include <new>

#include "QuaydropModule.h"
#include "ShellExDragDropHandlers.h"

namespace Marlin {

STDMETHODIMP ShellExDragDropHandlersFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ShellExDragDropHandlersFactory::AddRef() { return InterlockedIncrement(&references_); }

STDMETHODIMP_(ULONG) ShellExDragDropHandlersFactory::Release() { return InterlockedDecrement(&references_); }

STDMETHODIMP ShellExDragDropHandlersFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    auto* handler = new (std::nothrow) ShellExDragDropHandlers(outer);
    if (!handler) return E_OUTOFMEMORY;
    // The new object holds one reference of its own unknown; the query adds the caller's.
    IUnknown* inner = handler->InnerUnknown();
    const HRESULT hr = inner->QueryInterface(riid, object);
    inner->Release();
    return hr;
}

STDMETHODIMP ShellExDragDropHandlersFactory::LockServer(BOOL lock) {
    if (lock) {
        QuaydropModule::Lock();
    } else {
        QuaydropModule::Unlock();
    }
    return S_OK;
}

}  // namespace Marlin
