// Registration of the drop handler from the registry scripts held in the module
// (resources 101 and 103) and its type library (resource 1). The keys go under
// HKEY_CLASSES_ROOT, or for one user under HKEY_CURRENT_USER\Software\Classes, and
// unregistration removes what registration made and nothing else: keys marked NoRemove
// stay, so do values and keys that others put beside ours.
#pragma once

#include <windows.h>

#include <string>

#include "RegistryScript.h"

namespace Marlin {

class Registrar {
public:
    // perUser: the current user's classes and type-library registration.
    explicit Registrar(bool perUser);

    // The module script, the class script and the type library, with the thread locale
    // set to the system default for the duration.
    HRESULT Register();
    // The class script, the type library and the module script, removing. Succeeds when
    // nothing was registered.
    HRESULT Unregister();

    // One script applied, for install true, or removed.
    HRESULT Apply(const RegistryScript& script, bool install);

private:
    HRESULT RunScript(UINT resource, const RegistryScript::Variables& variables, bool install);
    HRESULT RegisterTypeLibrary();
    HRESULT UnregisterTypeLibrary();

    bool perUser_;
};

}  // namespace Marlin
