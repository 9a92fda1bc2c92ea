#include "MessageText.h"

namespace Marlin {

std::wstring MessageTextFromBuffer(const wchar_t* buffer, size_t capacity) {
    if (buffer == nullptr) return std::wstring();
    size_t length = 0;
    while (length < capacity && buffer[length] != L'\0') ++length;
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n')) --length;
    return std::wstring(buffer, length);
}

}  // namespace Marlin
