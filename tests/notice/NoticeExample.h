// The documented notice: sources C:\a and C:\b moved to D:\, started at 1 700 000 000
// seconds past the epoch, as the logging service receives it.
#pragma once

namespace noticetest {

inline constexpr const char* kMoveExample =
    "0A 00 00 00 | 00 F1 53 65 | 02 00 00 00 |"
    " 08 00 00 00 43 00 3A 00 5C 00 61 00 |"
    " 08 00 00 00 43 00 3A 00 5C 00 62 00 |"
    " 06 00 00 00 44 00 3A 00 5C 00 |"
    " 01 00 00 00";

}  // namespace noticetest
