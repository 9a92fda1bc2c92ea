// A library that the program loads by its full path and keeps for a while: the path it
// was given and, while loaded, its module. The module is freed on destruction if it is
// still held.
#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

namespace Marlin {

class DllObject {
public:
    DllObject();
    virtual ~DllObject();
    DllObject(const DllObject&) = delete;
    DllObject& operator=(const DllObject&) = delete;

    void SetPath(std::wstring path) { path_ = std::move(path); }
    const std::wstring& Path() const { return path_; }

    // Loads the library from Path() unless a module is already held. Returns whether a
    // module is held afterwards; a failed load leaves the handle null.
    bool Load();
    // Frees a held module. The handle is cleared only when FreeLibrary succeeds, so a
    // failure leaves it for the destructor to try again. True when nothing is held after.
    bool Free();

    HMODULE Handle() const { return module_.get(); }
    bool IsLoaded() const { return module_.valid(); }

private:
    std::wstring path_;
    ModuleHandle module_;
};

}  // namespace Marlin
