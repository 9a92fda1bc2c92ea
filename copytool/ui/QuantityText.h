// Sizes and durations as the copy tool shows them. Platform-free: the numbers follow the
// C runtime locale (the decimal separator of the sizes), which start-up sets to the
// user's default.
#pragma once

#include <cstdint>
#include <string>

namespace Marlin {

// Bytes in the largest unit that keeps the number below 1000 ("0.97KB", "1.42MB",
// "100KB", "999バイト"). Fractions are cut, never rounded up, at every unit step, so the
// text never claims more than there is; only the last printf step rounds ("100.0KB").
std::wstring SizeText(uint64_t bytes);

// Hours and minutes, or minutes and seconds ("1時間2分", "1分5秒", "0秒"): once hours
// are shown the seconds say nothing useful for a time left.
std::wstring TimeText(uint64_t seconds);

}  // namespace Marlin
