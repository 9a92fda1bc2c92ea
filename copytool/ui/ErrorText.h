// The texts of the copy tool's error messages: what went wrong, and where.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Exception.h"

namespace Marlin {

// The system's text for a Windows error code in the user's language, on one line
// ("アクセスが拒否されました。"); empty for a code the system has no text for.
std::wstring WindowsErrorText(uint32_t code);

// The path of a WindowsFileException; empty for any other exception and for none.
std::wstring ErrorPathLine(const Exception* error);

// What went wrong, for an exception of the engine, a platform error, or an exception
// without details (null included). Empty for the engine's hand-over to an elevated
// instance and for its questions, which are not errors to show.
std::wstring ErrorDescription(const Exception* error, bool move, HMODULE module = nullptr);

// The whole text of the error message box: the path line, a blank line when there is a
// path, then the description. The path is never read as a format, whatever it contains.
std::wstring ErrorMessageText(const Exception* error, bool move, HMODULE module = nullptr);

}  // namespace Marlin
