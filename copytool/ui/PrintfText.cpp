#include "PrintfText.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace Marlin {
namespace {

// The C runtime's own _vsnwprintf and _vscwprintf (msvcrt), not the MinGW replacements
// that std::swprintf resolves to: those read "%s" in a wide format as a narrow string.
bool AppendPrintf(std::wstring& out, const wchar_t* format, ...) {
    va_list measure;
    va_start(measure, format);
    va_list print;
    va_copy(print, measure);
    int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length < 0) {
        va_end(print);
        return false;
    }
    size_t start = out.size();
    out.resize(start + static_cast<size_t>(length) + 1);
    int written = _vsnwprintf(&out[start], static_cast<size_t>(length) + 1, format, print);
    va_end(print);
    if (written != length) {
        out.resize(start);
        return false;
    }
    out.resize(start + static_cast<size_t>(length));
    return true;
}

// Widths and precisions come from the string table, but a runaway number would still
// make a huge text; nothing shown by the copy tool needs more.
constexpr unsigned kMaxFieldNumber = 1024;

bool ReadFieldNumber(const wchar_t*& p, std::wstring& placeholder) {
    unsigned value = 0;
    while (*p >= L'0' && *p <= L'9') {
        value = value * 10 + static_cast<unsigned>(*p - L'0');
        if (value > kMaxFieldNumber) return false;
        placeholder += *p++;
    }
    return true;
}

enum class Width { Default, Wide };

bool FitsInt32(const FormatArgument& a) {
    if (a.kind() == FormatArgument::Kind::Signed)
        return a.signedValue() >= std::numeric_limits<int32_t>::min() &&
               a.signedValue() <= std::numeric_limits<int32_t>::max();
    return a.unsignedValue() <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
}

bool FitsUInt32(const FormatArgument& a) {
    if (a.kind() == FormatArgument::Kind::Signed)
        return a.signedValue() >= 0 && a.signedValue() <= std::numeric_limits<uint32_t>::max();
    return a.unsignedValue() <= std::numeric_limits<uint32_t>::max();
}

bool IsInteger(const FormatArgument& a) {
    return a.kind() == FormatArgument::Kind::Signed || a.kind() == FormatArgument::Kind::Unsigned;
}

// Prints one placeholder; placeholder holds "%" with its flags, width and precision, without
// length modifier and conversion, which are chosen here to match the argument as passed.
bool AppendConversion(std::wstring& out, std::wstring placeholder, Width width, wchar_t conversion,
                      const FormatArgument& a) {
    switch (conversion) {
    case L'd':
    case L'i':
        if (!IsInteger(a)) return false;
        if (width == Width::Wide) {
            // Unsigned values above the signed range print as printf would print their bits.
            placeholder += L"I64d";
            return AppendPrintf(out, placeholder.c_str(), static_cast<long long>(a.signedValue()));
        }
        if (!FitsInt32(a)) return false;
        placeholder += L'd';
        return AppendPrintf(out, placeholder.c_str(), static_cast<int>(a.signedValue()));
    case L'u':
    case L'x':
    case L'X':
    case L'o':
        if (!IsInteger(a)) return false;
        if (width == Width::Wide) {
            placeholder += L"I64";
            placeholder += conversion;
            return AppendPrintf(out, placeholder.c_str(), static_cast<unsigned long long>(a.unsignedValue()));
        }
        if (!FitsUInt32(a)) return false;
        placeholder += conversion;
        return AppendPrintf(out, placeholder.c_str(), static_cast<unsigned int>(a.unsignedValue()));
    case L's':
        if (a.kind() != FormatArgument::Kind::String) return false;
        placeholder += L's';
        return AppendPrintf(out, placeholder.c_str(), a.text());
    case L'f':
    case L'F':
    case L'e':
    case L'E':
    case L'g':
    case L'G':
        if (a.kind() != FormatArgument::Kind::Floating) return false;
        // msvcrt knows no "%F"; it prints the same as "%f" for finite values.
        placeholder += conversion == L'F' ? L'f' : conversion;
        return AppendPrintf(out, placeholder.c_str(), a.floatingValue());
    default:
        return false;
    }
}

}  // namespace

bool FormatText(std::wstring& out, const wchar_t* format, std::initializer_list<FormatArgument> args) {
    if (format == nullptr) return false;
    std::wstring text;
    const FormatArgument* next = args.begin();
    const wchar_t* p = format;
    while (*p != L'\0') {
        if (*p != L'%') {
            text += *p++;
            continue;
        }
        ++p;
        if (*p == L'%') {
            text += *p++;
            continue;
        }
        std::wstring placeholder = L"%";
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0') placeholder += *p++;
        if (!ReadFieldNumber(p, placeholder)) return false;
        if (*p == L'.') {
            placeholder += *p++;
            if (!ReadFieldNumber(p, placeholder)) return false;
        }
        Width width = Width::Default;
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            width = Width::Wide;
            p += 3;
        } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
            p += 3;
        } else if (p[0] == L'l' && p[1] == L'l') {
            width = Width::Wide;
            p += 2;
        } else if (p[0] == L'l') {
            ++p;  // long is 32 bits here; "%ls" is the wide string it already is
        }
        wchar_t conversion = *p;
        if (conversion == L'\0' || next == args.end()) return false;
        ++p;
        if (width == Width::Wide && conversion == L's') return false;
        if (!AppendConversion(text, placeholder, width, conversion, *next++)) return false;
    }
    if (next != args.end()) return false;
    out = std::move(text);
    return true;
}

}  // namespace Marlin
