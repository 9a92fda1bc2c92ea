#include "ResourceText.h"

#include "PrintfText.h"

namespace Marlin {

HMODULE TextModule(HMODULE module) { return module != nullptr ? module : ::GetModuleHandleW(nullptr); }

bool LoadResourceString(std::wstring& target, uint32_t id, HMODULE module) {
    // With a buffer size of 0 LoadStringW hands out a pointer to the text in the loaded
    // module, so no text is ever cut at a buffer's end. The text is not NUL-terminated.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(TextModule(module), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return false;
    target.assign(text, static_cast<size_t>(length));
    return true;
}

HRESULT FormatResourceList(HMODULE module, std::wstring& out, uint32_t id, std::initializer_list<FormatArgument> args) {
    std::wstring format;
    if (!LoadResourceString(format, id, module)) return E_FAIL;
    return FormatText(out, format.c_str(), args) ? S_OK : E_FAIL;
}

}  // namespace Marlin
