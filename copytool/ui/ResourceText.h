// The copy tool's string resources (StringIds.h), loaded by identifier from the module
// that holds them: the program file itself unless a module is given.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "FormatArgument.h"

namespace Marlin {

// The module whose string table is used when none is given: the process's program file.
HMODULE TextModule(HMODULE module = nullptr);

// Assigns the text of string id to target as it stands (no placeholders are
// interpreted) and returns true; leaves target unchanged and returns false when the
// string cannot be loaded.
bool LoadResourceString(std::wstring& target, uint32_t id, HMODULE module = nullptr);

// The text of string id formatted printf-style with args (FormatText's rules). Returns
// S_OK, or E_FAIL with out unchanged when the string cannot be loaded or its
// placeholders and the arguments do not fit each other.
HRESULT FormatResourceList(HMODULE module, std::wstring& out, uint32_t id, std::initializer_list<FormatArgument> args);

template <typename... Args>
HRESULT FormatResource(std::wstring& out, uint32_t id, const Args&... args) {
    return FormatResourceList(nullptr, out, id, {FormatArgument(args)...});
}

template <typename... Args>
HRESULT FormatResource(HMODULE module, std::wstring& out, uint32_t id, const Args&... args) {
    return FormatResourceList(module, out, id, {FormatArgument(args)...});
}

}  // namespace Marlin
