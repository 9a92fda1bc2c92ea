#include "DisplayText.h"

#include "ResourceText.h"
#include "StringIds.h"

namespace Marlin {
namespace {

std::wstring LoadedOrEmpty(uint32_t id, HMODULE module) {
    std::wstring text;
    LoadResourceString(text, id, module);
    return text;
}

// The platform's two-call pattern: ask for the length, then fill exactly that much.
template <typename Format>
bool AppendFormatted(std::wstring& out, Format format) {
    int length = format(nullptr, 0);
    if (length <= 0) return false;
    std::wstring part(static_cast<size_t>(length), L'\0');
    int written = format(&part[0], length);
    if (written <= 0 || written > length) return false;
    part.resize(static_cast<size_t>(written) - 1);  // the count includes the NUL
    out += part;
    return true;
}

}  // namespace

std::wstring OperationWord(bool move, HMODULE module) {
    return LoadedOrEmpty(move ? IDS_OPERATION_MOVE : IDS_OPERATION_COPY, module);
}

std::wstring KindWord(bool isFile, HMODULE module) {
    return LoadedOrEmpty(isFile ? IDS_KIND_FILE : IDS_KIND_FOLDER, module);
}

std::wstring Caption(bool move, bool isFile, HMODULE module) {
    std::wstring caption;
    FormatResource(module, caption, IDS_CAPTION, KindWord(isFile, module), OperationWord(move, module));
    return caption;
}

std::wstring DateTimeText(const FILETIME& utc) {
    // A file time with the top bit set has no calendar form, but the local conversion
    // only adds the zone's bias and wraps such a value round to a plausible date in 1601.
    if ((utc.dwHighDateTime & 0x80000000u) != 0) return std::wstring();
    FILETIME local;
    SYSTEMTIME calendar;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &calendar)) return std::wstring();
    std::wstring text;
    bool ok = AppendFormatted(text, [&](wchar_t* buffer, int size) {
        return ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &calendar, nullptr, buffer, size);
    });
    text += L' ';
    ok = ok && AppendFormatted(text, [&](wchar_t* buffer, int size) {
        return ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &calendar, nullptr, buffer, size);
    });
    // Half a date-time would read as a different time; show nothing instead.
    return ok ? text : std::wstring();
}

}  // namespace Marlin
