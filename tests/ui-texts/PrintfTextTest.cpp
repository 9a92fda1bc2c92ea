// The printf-style formatter behind every numbered text: "%s" takes a wide string and
// "%I64d" a 64-bit integer with the C runtime's own printf, and a placeholder whose
// argument is missing or of another kind fails instead of reading the wrong type.
#include <cstdint>
#include <limits>
#include <string>

#include "CrtLocale.h"
#include "PrintfText.h"
#include "SluiceException.h"
#include "TestHarness.h"

using Marlin::FormatArgument;
using Marlin::FormatText;
using quaytest::CrtLocale;

namespace {

const std::wstring kUntouched = L"untouched";

void Formats(const char* name, const wchar_t* format, std::initializer_list<FormatArgument> args,
             const std::wstring& expected) {
    CONTEXT(name);
    std::wstring out = kUntouched;
    CHECK(FormatText(out, format, args));
    CHECK_EQ(out, expected);
}

void Refuses(const char* name, const wchar_t* format, std::initializer_list<FormatArgument> args) {
    CONTEXT(name);
    std::wstring out = kUntouched;
    CHECK(!FormatText(out, format, args));
    CHECK_EQ(out, kUntouched);
}

}  // namespace

TEST_CASE("FormatText: wide strings and 64-bit integers reach the text unchanged") {
    CrtLocale locale("");
    // A narrow reading of a wide string stops after its first character.
    Formats("wide %s", L"%s", {L"wide"}, L"wide");
    Formats("wide %ls", L"%ls", {L"wide"}, L"wide");
    Formats("Japanese %s", L"%sの%s", {L"フォルダー", L"移動"}, L"フォルダーの移動");
    // A 32-bit reading would show 705032704 and misplace every later argument.
    Formats("64-bit above 32 bits", L"%I64d", {uint64_t{5000000000}}, L"5000000000");
    Formats("64-bit then string", L"%I64d（%s）", {uint64_t{4294967303}, std::wstring(L"1.00MB")},
            L"4294967303（1.00MB）");
    Formats("64-bit negative", L"%I64d", {int64_t{-1234567890123}}, L"-1234567890123");
    Formats("64-bit minimum", L"%I64d", {std::numeric_limits<int64_t>::min()}, L"-9223372036854775808");
    Formats("ll as 64-bit", L"%lld", {int64_t{1} << 40}, L"1099511627776");
    // printf's own reading of the bits: what a huge unsigned count would show.
    Formats("unsigned above the signed range", L"%I64d", {UINT64_MAX}, L"-1");
    Formats("32-bit", L"%d|%i|%ld", {-5, int16_t{7}, 8L}, L"-5|7|8");
    Formats("small 64-bit into %d", L"(%d)", {uint64_t{14}}, L"(14)");
    Formats("enumerator", L"(%d)", {Marlin::Sluice::SluiceException::Cancelled}, L"(5)");
    Formats("unsigned", L"%u %x %X %o", {4000000000u, 255u, 255u, 8u}, L"4000000000 ff FF 10");
    Formats("double", L"%.2f %.1f", {0.97, 99.99}, L"0.97 100.0");
    Formats("width and flags", L"[%5s|%-5s|%05d|%+d]", {L"ab", L"cd", 42, 3}, L"[   ab|cd   |00042|+3]");
    Formats("percent", L"100%%", {}, L"100%");
    Formats("no placeholders", L"計算中...", {}, L"計算中...");
}

TEST_CASE("FormatText: arguments are data, never formats") {
    // A file name may contain anything a path allows, "%" included.
    const std::wstring name = L"C:\\data\\100%s%n%d%%.txt";
    Formats("path with percent signs", L"名前： %s", {name}, L"名前： C:\\data\\100%s%n%d%%.txt");
    Formats("null text", L"[%s]", {static_cast<const wchar_t*>(nullptr)}, L"[]");
    // No buffer of fixed size cuts a long argument (long paths reach 32767 characters).
    const std::wstring longPath(40000, L'x');
    std::wstring out;
    CHECK(FormatText(out, L"%s!", {longPath}));
    CHECK_EQ(out.size(), longPath.size() + 1);
    CHECK(out == longPath + L"!");
}

TEST_CASE("FormatText: placeholders and arguments that do not fit fail and leave the text") {
    Refuses("missing argument", L"%s中 - %I64d 個の項目（%s）", {L"コピー", int64_t{3}});
    Refuses("argument left over", L"%sの準備中", {L"コピー", L"移動"});
    Refuses("number for %s", L"%s", {5});
    Refuses("text for %d", L"%d", {L"5"});
    Refuses("text for %I64d", L"%I64d", {L"5"});
    Refuses("double for %d", L"%d", {1.5});
    Refuses("integer for %f", L"%.2f", {1});
    Refuses("64-bit value into %d", L"%d", {int64_t{1} << 40});
    Refuses("negative into %u", L"%u", {-1});
    Refuses("%n writes to memory", L"%n", {5});
    Refuses("width from the arguments", L"%*d", {3, 4});
    Refuses("pointer", L"%p", {5});
    Refuses("narrow string", L"%hs", {L"x"});
    Refuses("character", L"%c", {65});
    Refuses("positional", L"%1$s", {L"x"});
    Refuses("64-bit string", L"%I64s", {L"x"});
    Refuses("lone percent at the end", L"100%", {});
    Refuses("runaway width", L"%99999d", {1});
    Refuses("no format", nullptr, {});
}

TEST_CASE("FormatText: numbers follow the C runtime locale") {
    CrtLocale german("German_Germany.1252");
    REQUIRE(!german.active().empty());
    Formats("decimal comma", L"%.2f", {0.97}, L"0,97");
    Formats("no grouping of integers", L"%I64d", {int64_t{1234567}}, L"1234567");
}
