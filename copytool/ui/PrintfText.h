// printf-style formatting of the copy tool's texts with the C runtime's own wide printf,
// so "%s" takes a wide string, "%I64d" a 64-bit integer and numbers follow the C runtime
// locale. Each placeholder is checked against the kind of its argument before anything
// is printed: a text and its arguments that do not fit each other give a failure, never
// a read of the wrong type.
#pragma once

#include <initializer_list>
#include <string>

#include "FormatArgument.h"

namespace Marlin {

// Formats format with args into out. Supported placeholders: "%%"; flags "-+ #0", a
// width and a precision given as digits; "d i" (32-bit; "I64" or "ll" make them 64-bit),
// "u x X o" (likewise, unsigned), "s" (wide string; "ls" too) and "f F e E g G"
// (double). Returns false, leaving out unchanged, when the text has another placeholder
// (such as "%n" or "*"), when a placeholder has no argument or one of another kind,
// when a number does not fit a 32-bit placeholder, or when arguments are left over.
bool FormatText(std::wstring& out, const wchar_t* format, std::initializer_list<FormatArgument> args);

}  // namespace Marlin
