// The class factory of the drop handler. The module owns the one instance (made on the
// first DllGetClassObject, freed at detach), so its reference count does not decide its
// life; LockServer is what keeps the module loaded for a client that holds it.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace Marlin {

class ShellExDragDropHandlersFactory final : public IClassFactory {
public:
    ShellExDragDropHandlersFactory() = default;
    ShellExDragDropHandlersFactory(const ShellExDragDropHandlersFactory&) = delete;
    ShellExDragDropHandlersFactory& operator=(const ShellExDragDropHandlersFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // An outer object may aggregate the handler, asking for its IUnknown only.
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    LONG references_ = 1;  // the module's
};

}  // namespace Marlin
