// A function looked up by name in a module at run time, for exports that older systems
// (or Wine) may lack. Empty when the module or the export is missing: callers test it
// and take their alternative path instead of calling.
//
// Signature is a function type, calling convention included, best written as
// decltype(::TheExport) or with WINAPI, so that 32-bit builds call __stdcall exports
// correctly. The module is only looked up, never loaded: the caller (or the loader)
// keeps it loaded for as long as the function is used.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace Marlin {

template <typename Signature>
class DynamicFunctionObject {
    static_assert(std::is_function_v<Signature>, "DynamicFunctionObject needs a function type");

public:
    using Pointer = Signature*;

    DynamicFunctionObject() noexcept = default;
    // Looks the export up in a module that is already loaded (GetModuleHandleW).
    DynamicFunctionObject(const wchar_t* moduleName, const char* exportName) noexcept
        : DynamicFunctionObject(moduleName ? ::GetModuleHandleW(moduleName) : nullptr, exportName) {}
    DynamicFunctionObject(HMODULE module, const char* exportName) noexcept {
        // GetProcAddress with a null module searches the program's own image, which
        // would find an export of the same name there instead of reporting a missing module.
        if (module && exportName) function_ = reinterpret_cast<Pointer>(::GetProcAddress(module, exportName));
    }
    virtual ~DynamicFunctionObject() = default;

    DynamicFunctionObject(const DynamicFunctionObject&) = default;
    DynamicFunctionObject& operator=(const DynamicFunctionObject&) = default;

    bool IsEmpty() const noexcept { return function_ == nullptr; }
    explicit operator bool() const noexcept { return function_ != nullptr; }
    Pointer get() const noexcept { return function_; }

    // Calling an empty object is a programming error; test it first.
    template <typename... Args>
    decltype(auto) operator()(Args&&... args) const {
        return function_(std::forward<Args>(args)...);
    }

private:
    Pointer function_ = nullptr;
};

}  // namespace Marlin
