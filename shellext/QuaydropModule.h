// What the whole module shares: its instance handle, the lock count that DllCanUnloadNow
// answers from (live objects and LockServer locks), the class factory made once on the
// first request, and the paths of the module and of the copy tool beside it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace Marlin {

class QuaydropModule {
public:
    // DllMain's attach and detach.
    static void Attach(HINSTANCE instance);
    static void Detach();

    static HINSTANCE Instance();
    static void Lock();
    static void Unlock();
    static bool CanUnload();

    // The drop handler's class factory: made on the first request, under a critical
    // section so that two threads asking at once share one; null without memory.
    static IClassFactory* Factory();

    // The module file's full path, however long.
    static std::wstring ModulePath();
    // The module's folder, without the trailing backslash of the path cut after it.
    static std::wstring ModuleFolder();
    // "Quaysail.exe" in the module's folder.
    static std::wstring CopyToolPath();
};

}  // namespace Marlin
