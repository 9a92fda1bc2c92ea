// Sizes and durations as the progress and question dialogs show them, and the system
// message line. Runs natively and under Wine; under Wine with the user's locale set the
// way start-up sets it (Japanese), and once with a locale whose decimal separator is a
// comma, to see that the numbers follow the C runtime locale.
#include <cstdint>
#include <string>

#include "CrtLocale.h"
#include "MessageText.h"
#include "QuantityText.h"
#include "TestHarness.h"

using Marlin::MessageTextFromBuffer;
using Marlin::SizeText;
using Marlin::TimeText;
using quaytest::CrtLocale;

namespace {

// The locale the program runs with: the user's default on Windows (start-up calls
// setlocale(LC_ALL, "")); natively the classic locale, whatever the host is set to.
const char* ProgramLocale() {
#ifdef _WIN32
    return "";
#else
    return "C";
#endif
}

struct SizeCase {
    uint64_t bytes;
    const char* text;  // UTF-8
};

const SizeCase kSizeCases[] = {
    {0, u8"0バイト"},
    {999, u8"999バイト"},
    // 1000 to 1023 bytes: already KB, below 1.
    {1000, "0.97KB"},
    {1023, "0.99KB"},
    {1024, "1.00KB"},
    // Cut, not rounded: 1535 bytes are 1.499 KB.
    {1535, "1.49KB"},
    {10239, "9.99KB"},
    {10240, "10.0KB"},
    {10291, "10.0KB"},   // 10.049 KB: cut to 10.04, then "%.1f" of it
    {10342, "10.1KB"},   // 10.099 KB: cut to 10.09, which "%.1f" rounds up
    // Just below 100 units the cut value 99.99 prints as 100.0 ("%.1f" rounds).
    {102399, "100.0KB"},
    // From 100 units on: a whole number, cut.
    {102400, "100KB"},
    {103423, "100KB"},
    {1023999, "999KB"},
    {1024000, "0.97MB"},
    {1048576, "1.00MB"},
    // Each unit step works on the integer already divided down: 1 500 000 bytes are
    // 1464 KB, and 1464 KB are 1.4296 MB.
    {1500000, "1.42MB"},
    {104857599, "100.0MB"},     // 102399 KB: the same rounding one unit up
    {1073741824ull, "1.00GB"},
    {1099511627776ull, "1.00TB"},
    {1125899906842624ull, "1.00PB"},
    {1152921504606846976ull, "1.00EB"},
    {UINT64_MAX, "16.0EB"},     // 16383 PB: cut to 15.99, then "%.1f" rounds
};

}  // namespace

TEST_CASE("SizeText: the largest unit below 1000, fractions cut at every step") {
    CrtLocale locale(ProgramLocale());
    REQUIRE(!locale.active().empty());
    for (const SizeCase& c : kSizeCases) {
        CONTEXT("bytes " + std::to_string(c.bytes));
        CHECK_EQ(quaytest::Utf8(SizeText(c.bytes)), std::string(c.text));
    }
}

#ifdef _WIN32
TEST_CASE("SizeText: the decimal separator is the C runtime locale's") {
    {
        CrtLocale japanese("");
        REQUIRE_EQ(japanese.active(), std::string("Japanese_Japan.932"));
        CHECK_EQ(quaytest::Utf8(SizeText(1000)), std::string("0.97KB"));
    }
    CrtLocale german("German_Germany.1252");
    REQUIRE(!german.active().empty());
    CHECK_EQ(quaytest::Utf8(SizeText(1000)), std::string("0,97KB"));
    CHECK_EQ(quaytest::Utf8(SizeText(102399)), std::string("100,0KB"));
    // Whole numbers have no separator to change.
    CHECK_EQ(quaytest::Utf8(SizeText(102400)), std::string("100KB"));
}
#endif

TEST_CASE("TimeText: hours and minutes, or minutes and seconds") {
    struct Case {
        uint64_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, u8"0秒"},
        {1, u8"1秒"},
        {59, u8"59秒"},
        {60, u8"1分"},
        {65, u8"1分5秒"},
        {3599, u8"59分59秒"},
        {3600, u8"1時間"},
        {3601, u8"1時間"},          // the second is dropped once hours show
        {3660, u8"1時間1分"},
        {3725, u8"1時間2分"},
        {86400, u8"24時間"},        // no days: hours keep counting
        {90061, u8"25時間1分"},
        {UINT64_MAX, u8"5124095576030431時間"},   // 0 minutes, 15 seconds dropped
    };
    for (const Case& c : cases) {
        CONTEXT("seconds " + std::to_string(c.seconds));
        CHECK_EQ(quaytest::Utf8(TimeText(c.seconds)), std::string(c.text));
    }
}

TEST_CASE("MessageTextFromBuffer: up to the first NUL, without trailing line breaks") {
    struct Case {
        const wchar_t* buffer;
        size_t capacity;
        const wchar_t* text;
    };
    // The buffers hold their NUL inside the capacity except where a case says otherwise.
    const Case cases[] = {
        {L"Access is denied.\r\n", 20, L"Access is denied."},   // Windows ends with CR LF
        {L"Access is denied.\n", 19, L"Access is denied."},      // Wine with LF alone
        {L"a\n\r\n\r", 6, L"a"},                              // any run of both
        {L"line one\r\nline two\r\n", 21, L"line one\r\nline two"},  // inner breaks stay
        {L"ends in space \r\n", 17, L"ends in space "},         // only CR and LF go
        {L"\r\n", 3, L""},
        {L"", 1, L""},
        {L"text\0\r\nafter", 13, L"text"},                     // the NUL ends the text
        {L"cut\r\nhere", 4, L"cut"},                            // no NUL within the capacity
        {L"none", 0, L""},
    };
    for (const Case& c : cases) {
        CONTEXT("buffer " + quaytest::Utf8(std::wstring(c.buffer)));
        CHECK_EQ(MessageTextFromBuffer(c.buffer, c.capacity), std::wstring(c.text));
    }
    CHECK_EQ(MessageTextFromBuffer(nullptr, 10), std::wstring());
}
