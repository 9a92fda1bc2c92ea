#include "ShellLibraryFunctions.h"

#include <shlwapi.h>

#include "DynamicFunctionObject.h"
#include "UniqueHandle.h"

namespace Marlin {

namespace {

// Each library is loaded on the first call and kept for the rest of the process (the
// initialisation of a function's static object runs once, whatever the threads do).
HMODULE Shlwapi() {
    static const Marlin::ModuleHandle module(::LoadLibraryW(L"shlwapi.dll"));
    return module.get();
}

HMODULE Shell32() {
    static const Marlin::ModuleHandle module(::LoadLibraryW(L"shell32.dll"));
    return module.get();
}

HMODULE Ole32() {
    static const Marlin::ModuleHandle module(::LoadLibraryW(L"ole32.dll"));
    return module.get();
}

// A path function: from kernelbase.dll where it lives there, else from shlwapi.dll.
template <typename Signature>
DynamicFunctionObject<Signature> PathFunction(const char* name) {
    DynamicFunctionObject<Signature> function(L"kernelbase.dll", name);
    if (!function) function = DynamicFunctionObject<Signature>(Shlwapi(), name);
    return function;
}

}  // namespace

BOOL ShellPathIsUNC(const wchar_t* path) {
    static const auto function = PathFunction<decltype(::PathIsUNCW)>("PathIsUNCW");
    return function ? function(path) : FALSE;
}

BOOL ShellPathIsUNCServerShare(const wchar_t* path) {
    static const auto function = PathFunction<decltype(::PathIsUNCServerShareW)>("PathIsUNCServerShareW");
    return function ? function(path) : FALSE;
}

UINT ShellPathGetCharType(wchar_t c) {
    static const auto function = PathFunction<decltype(::PathGetCharTypeW)>("PathGetCharTypeW");
    return function ? function(c) : GCT_INVALID;
}

HMODULE Shell32Module() { return Shell32(); }

HRESULT ShellGetDesktopFolder(IShellFolder** folder) {
    static const DynamicFunctionObject<decltype(::SHGetDesktopFolder)> function(Shell32(), "SHGetDesktopFolder");
    if (folder) *folder = nullptr;
    return function ? function(folder) : E_NOTIMPL;
}

HRESULT ShellStrRetToStr(STRRET* text, PCUITEMID_CHILD item, LPWSTR* out) {
    static const DynamicFunctionObject<decltype(::StrRetToStrW)> function(Shlwapi(), "StrRetToStrW");
    if (out) *out = nullptr;
    return function ? function(text, item, out) : E_NOTIMPL;
}

void ShellTaskMemFree(void* memory) {
    if (!memory) return;
    static const DynamicFunctionObject<decltype(::CoTaskMemFree)> function(Ole32(), "CoTaskMemFree");
    if (function) function(memory);
}

}  // namespace Marlin
