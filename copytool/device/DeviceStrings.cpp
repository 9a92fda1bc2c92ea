#include "DeviceStrings.h"

#include <cstring>
#include <cwchar>

namespace Marlin {

bool EqualsIgnoreCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring ToUpperCase(const std::wstring& text) {
    if (text.empty()) return text;
    std::wstring upper(text.size(), L'\0');
    int written = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()),
                                &upper[0], static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (written != static_cast<int>(text.size())) return text;
    return upper;
}

bool ReadDeviceId(IConfigManager& configManager, DEVINST node, std::wstring& id) {
    wchar_t buffer[MAX_DEVICE_ID_LEN + 1] = {};
    if (configManager.GetDeviceId(node, buffer, MAX_DEVICE_ID_LEN + 1) != CR_SUCCESS) return false;
    buffer[MAX_DEVICE_ID_LEN] = L'\0';
    std::wstring found(buffer, wcsnlen(buffer, MAX_DEVICE_ID_LEN));
    if (found.empty()) return false;
    id = std::move(found);
    return true;
}

bool ReadPropertyBytes(IConfigManager& configManager, DEVINST node, ULONG property, std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> buffer(512, 0);
    ULONG type = 0;
    ULONG length = static_cast<ULONG>(buffer.size());
    CONFIGRET result = configManager.GetRegistryProperty(node, property, &type, buffer.data(), &length);
    if (result == CR_BUFFER_SMALL) {
        if (length <= buffer.size() || length > kMaxPropertyBytes) return false;
        buffer.assign(length, 0);
        length = static_cast<ULONG>(buffer.size());
        result = configManager.GetRegistryProperty(node, property, &type, buffer.data(), &length);
    }
    if (result != CR_SUCCESS || length > buffer.size()) return false;
    buffer.resize(length);
    bytes = std::move(buffer);
    return true;
}

std::wstring StringFromBytes(const std::vector<uint8_t>& bytes) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return text;
}

std::vector<std::wstring> MultiStringFromChars(const wchar_t* chars, size_t count) {
    std::vector<std::wstring> strings;
    size_t at = 0;
    while (at < count && chars[at] != L'\0') {
        size_t end = at;
        while (end < count && chars[end] != L'\0') ++end;
        strings.emplace_back(chars + at, end - at);
        at = end + 1;
    }
    return strings;
}

std::vector<std::wstring> MultiStringFromBytes(const std::vector<uint8_t>& bytes) {
    std::wstring chars(bytes.size() / sizeof(wchar_t), L'\0');
    if (!chars.empty()) std::memcpy(&chars[0], bytes.data(), chars.size() * sizeof(wchar_t));
    return MultiStringFromChars(chars.data(), chars.size());
}

}  // namespace Marlin
