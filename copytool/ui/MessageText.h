// The system's message texts as the copy tool shows them: one line of text without the
// line break that the system appends.
#pragma once

#include <cstddef>
#include <string>

namespace Marlin {

// The text in a message buffer of capacity characters: up to its first NUL (or the
// whole buffer when there is none), without trailing carriage returns and line feeds.
// The system ends its texts with "\r\n" on Windows and with "\n" under Wine.
std::wstring MessageTextFromBuffer(const wchar_t* buffer, size_t capacity);

}  // namespace Marlin
