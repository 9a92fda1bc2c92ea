// Captions and the date-time text of file times. The test runs with TZ=Asia/Tokyo
// (set by its CMake entry): Wine takes its time zone from TZ, and Japan has had no
// daylight saving time since 1951, so every local time below is unambiguous whatever
// the date of the run.
#include <windows.h>

#include <cstdint>
#include <string>

#include "DisplayText.h"
#include "TestHarness.h"

using Marlin::Caption;
using Marlin::DateTimeText;

namespace {

FILETIME FileTime(uint64_t ticks) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(ticks);
    t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return t;
}

}  // namespace

TEST_CASE("Caption: kind word, then operation word") {
    struct Case {
        bool move;
        bool isFile;
        const char* text;
    };
    const Case cases[] = {
        {false, false, u8"フォルダーのコピー"},
        {true, false, u8"フォルダーの移動"},
        {false, true, u8"ファイルのコピー"},
        {true, true, u8"ファイルの移動"},
    };
    for (const Case& c : cases) {
        CONTEXT(std::string("move ") + (c.move ? "1" : "0") + ", file " + (c.isFile ? "1" : "0"));
        CHECK_EQ(quaytest::Utf8(Caption(c.move, c.isFile)), std::string(c.text));
    }
    // Without the string table (a library's module) there is no caption rather than half a one.
    CHECK_EQ(Caption(true, true, GetModuleHandleW(L"kernel32.dll")), std::wstring());
}

TEST_CASE("DateTimeText: local short date and time without seconds") {
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    REQUIRE_EQ(zone.Bias, -540L);  // UTC+9: TZ=Asia/Tokyo did reach Wine

    struct Case {
        const char* name;
        uint64_t utc;  // 100 ns since 1601-01-01 UTC
        const char* text;
    };
    // Months and days of two digits: Wine's Japanese short date leaves out leading zeros
    // where Windows writes them ("yyyy/M/d" against "yyyy/MM/dd").
    const Case cases[] = {
        {"2026-12-10 06:04:09 UTC", 0x01DD886C45361280ull, u8"2026/12/10 15:04"},
        {"seconds are cut, not rounded: 06:04:59 UTC", 0x01DD886C63037780ull, u8"2026/12/10 15:04"},
        {"the local date is the next day: 20:30 UTC", 0x01DD88E53A6B9400ull, u8"2026/12/11 5:30"},
        {"local midnight: 2026-11-10 15:00:00 UTC", 0x01DD7124284ED800ull, u8"2026/11/11 0:00"},
        {"one second before it", 0x01DD712427B64180ull, u8"2026/11/10 23:59"},
    };
    for (const Case& c : cases) {
        CONTEXT(c.name);
        CHECK_EQ(quaytest::Utf8(DateTimeText(FileTime(c.utc))), std::string(c.text));
    }
}

TEST_CASE("DateTimeText: a time without calendar form gives an empty text") {
    // Beyond the last calendar time, as a corrupt attribute block could hold. Adding the
    // zone's nine hours wraps the first one round to 1601/1/1 8:59 unless it is refused
    // before the local conversion.
    CHECK_EQ(DateTimeText(FileTime(UINT64_MAX)), std::wstring());
    CHECK_EQ(DateTimeText(FileTime(0x8000000000000000ull)), std::wstring());
    // A valid time whose local form is past the end.
    CHECK_EQ(DateTimeText(FileTime(0x7FFFFFFFFFFFFFFFull)), std::wstring());
}
