#include "QuaydropModule.h"

#include <new>

#include "ShellExDragDropHandlersFactory.h"

namespace Marlin {

namespace {

HINSTANCE moduleInstance = nullptr;
LONG lockCount = 0;
CRITICAL_SECTION factoryLock;
ShellExDragDropHandlersFactory* factory = nullptr;

}  // namespace

void QuaydropModule::Attach(HINSTANCE instance) {
    moduleInstance = instance;
    InitializeCriticalSection(&factoryLock);
}

void QuaydropModule::Detach() {
    delete factory;
    factory = nullptr;
    DeleteCriticalSection(&factoryLock);
}

HINSTANCE QuaydropModule::Instance() { return moduleInstance; }

void QuaydropModule::Lock() { InterlockedIncrement(&lockCount); }

void QuaydropModule::Unlock() { InterlockedDecrement(&lockCount); }

bool QuaydropModule::CanUnload() { return InterlockedCompareExchange(&lockCount, 0, 0) == 0; }

IClassFactory* QuaydropModule::Factory() {
    EnterCriticalSection(&factoryLock);
    if (!factory) factory = new (std::nothrow) ShellExDragDropHandlersFactory();
    IClassFactory* result = factory;
    LeaveCriticalSection(&factoryLock);
    return result;
}

std::wstring QuaydropModule::ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(moduleInstance, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        // A full buffer may hold a cut path: try again with more room.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

std::wstring QuaydropModule::ModuleFolder() {
    std::wstring path = ModulePath();
    const size_t slash = path.find_last_of(L'\\');
    path.resize(slash == std::wstring::npos ? 0 : slash);
    return path;
}

std::wstring QuaydropModule::CopyToolPath() {
    std::wstring path = ModulePath();
    const size_t slash = path.find_last_of(L'\\');
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return path + L"Quaysail.exe";
}

}  // namespace Marlin
