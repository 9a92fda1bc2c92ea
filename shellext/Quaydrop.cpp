// The module's entry point and exports: the class object of the drop handler, the unload
// test, and registration for the machine (DllRegisterServer) or one user (DllInstall
// with "user").
#include <windows.h>
#include <initguid.h>
#include <olectl.h>

#include "QuaydropIdl.h"
#include "QuaydropModule.h"
#include "Registrar.h"
#include "TraceCaught.h"

using Marlin::QuaydropModule;
using Marlin::Registrar;

namespace {

HRESULT Register(bool perUser) {
    try {
        return Registrar(perUser).Register();
    } catch (...) {
        Marlin::TraceCaught(L"Quaydrop registration");
        return E_OUTOFMEMORY;
    }
}

HRESULT Unregister(bool perUser) {
    try {
        return Registrar(perUser).Unregister();
    } catch (...) {
        Marlin::TraceCaught(L"Quaydrop unregistration");
        return E_OUTOFMEMORY;
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        QuaydropModule::Attach(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // At process end (reserved set) the factory's memory goes with the process.
        QuaydropModule::Detach();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_ShellExDragDropHandlers)) return CLASS_E_CLASSNOTAVAILABLE;
    IClassFactory* factory = QuaydropModule::Factory();
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() { return QuaydropModule::CanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return Register(false); }

STDAPI DllUnregisterServer() { return Unregister(false); }

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    const bool perUser = commandLine && _wcsicmp(commandLine, L"user") == 0;
    if (!install) return Unregister(perUser);
    const HRESULT hr = Register(perUser);
    // Half a registration would leave an entry pointing nowhere: take back what was made.
    if (FAILED(hr)) Unregister(perUser);
    return hr;
}
