#include "QuantityText.h"

#include <cmath>
#include <cwchar>
#include <iterator>

namespace Marlin {
namespace {

const wchar_t* const kSizeUnits[] = {L"バイト", L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
constexpr int kLastSizeUnit = static_cast<int>(std::size(kSizeUnits)) - 1;

// Every number printed here is below 1000 or a fraction below 100, so the buffer is
// ample; a formatting failure still gives an empty number rather than garbage.
template <typename T>
std::wstring Number(const wchar_t* format, T value) {
    wchar_t buffer[64];
    int length = std::swprintf(buffer, std::size(buffer), format, value);
    if (length < 0 || static_cast<size_t>(length) >= std::size(buffer)) return std::wstring();
    return std::wstring(buffer, static_cast<size_t>(length));
}

}  // namespace

std::wstring SizeText(uint64_t bytes) {
    if (bytes < 1000) return Number(L"%d", static_cast<int>(bytes)) + kSizeUnits[0];

    uint64_t value = bytes;
    int unit = 1;
    for (; unit <= kLastSizeUnit; ++unit) {
        uint64_t quotient = value / 1024;
        if (quotient < 100) {
            // value < 102400 here, so value * 100 / 1024 is exact in a double and the
            // floor cuts the fraction at two decimals.
            double fraction = std::floor(static_cast<double>(value) * 0.0009765625 * 100.0) / 100.0;
            return Number(fraction < 10.0 ? L"%.2f" : L"%.1f", fraction) + kSizeUnits[unit];
        }
        if (quotient < 1000) return Number(L"%d", static_cast<int>(quotient)) + kSizeUnits[unit];
        value = quotient;
    }
    // Beyond the last unit: the whole count of the last unit. A 64-bit count of bytes
    // never gets here (it is at most 16 EB, below 100 units of the last step).
    return std::to_wstring(value) + kSizeUnits[kLastSizeUnit];
}

std::wstring TimeText(uint64_t seconds) {
    uint64_t hours = seconds / 3600;
    uint64_t minutes = seconds % 3600 / 60;
    uint64_t rest = seconds % 60;
    std::wstring text;
    if (hours != 0) text += std::to_wstring(hours) + L"時間";
    if (minutes != 0) text += std::to_wstring(minutes) + L"分";
    if (hours == 0 && rest != 0) text += std::to_wstring(rest) + L"秒";
    if (text.empty()) text = L"0秒";
    return text;
}

}  // namespace Marlin
