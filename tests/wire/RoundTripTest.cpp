// Every kind of value, at its limits, written into one message and read back in order,
// on both length widths.
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "HexBytes.h"
#include "TestHarness.h"

using Marlin::CDataConverter;
using Marlin::CDataParser;
using Marlin::FileAttributeBlock;
using Marlin::LengthWidth;

namespace {

const LengthWidth kWidths[] = {LengthWidth::Eight, LengthWidth::Four};

const char* WidthName(LengthWidth w) { return w == LengthWidth::Eight ? "8-byte lengths" : "4-byte lengths"; }

template <typename T>
struct Limits {
    static constexpr T lo = std::numeric_limits<T>::min();
    static constexpr T hi = std::numeric_limits<T>::max();
};

// Longer than a 16-bit length could say, so a length field that was cut short would show.
std::wstring LongPath() {
    std::wstring s = L"\\\\?\\C:\\";
    while (s.size() < 40000) s += L"長いフォルダー名\\";
    return s;
}

const std::vector<std::wstring> kWideStrings = {
    L"",
    L"C:\\ユーザー\\資料\\報告書.txt",
    L"\U00020BB7野家 \U0001F600",  // outside the BMP: surrogate pairs on the wire
    LongPath(),
};

}  // namespace

TEST_CASE("integers of each width keep their value, sign and limits") {
    for (LengthWidth width : kWidths) {
        CONTEXT(WidthName(width));
        CDataConverter out(width);
        out.Put(Limits<int16_t>::lo);
        out.Put(Limits<int16_t>::hi);
        out.Put(Limits<uint16_t>::hi);
        out.Put(Limits<int32_t>::lo);
        out.Put(Limits<int32_t>::hi);
        out.Put(Limits<uint32_t>::hi);
        out.Put(Limits<int64_t>::lo);
        out.Put(Limits<int64_t>::hi);
        out.Put(Limits<uint64_t>::hi);
        out.Put(uint64_t{0});
        // Integer widths belong to the value, not to the protocol.
        CHECK_EQ(out.Size(), size_t{2 + 2 + 2 + 4 + 4 + 4 + 8 + 8 + 8 + 8});

        CDataParser in(out.Data(), out.Size(), width);
        int16_t a = 0, b = 0;
        uint16_t c = 0;
        int32_t d = 0, e = 0;
        uint32_t f = 0;
        int64_t g = 0, h = 0;
        uint64_t i = 0, j = 1;
        REQUIRE(in.Get(a) && in.Get(b) && in.Get(c) && in.Get(d) && in.Get(e) && in.Get(f) && in.Get(g) &&
                in.Get(h) && in.Get(i) && in.Get(j));
        CHECK_EQ(a, Limits<int16_t>::lo);
        CHECK_EQ(b, Limits<int16_t>::hi);
        CHECK_EQ(c, Limits<uint16_t>::hi);
        CHECK_EQ(d, Limits<int32_t>::lo);
        CHECK_EQ(e, Limits<int32_t>::hi);
        CHECK_EQ(f, Limits<uint32_t>::hi);
        CHECK_EQ(g, Limits<int64_t>::lo);
        CHECK_EQ(h, Limits<int64_t>::hi);
        CHECK_EQ(i, Limits<uint64_t>::hi);
        CHECK_EQ(j, uint64_t{0});
        CHECK(in.AtEnd());
    }
}

TEST_CASE("strings, lists and attribute blocks come back as they were sent") {
    using Pair = std::pair<int64_t, int64_t>;
    const std::vector<Pair> laps = {{0, 0}, {500, 1 << 20}, {-1, std::numeric_limits<int64_t>::max()}};
    const std::vector<std::vector<std::wstring>> groups = {{L"a", L"コピー"}, {}, {L"\U0001F600"}};
    const std::string message = "アクセスが拒否されました。";  // UTF-8 bytes, as the exception holds them
    FileAttributeBlock block;
    block.attributes = 0xFFFFFFFF;
    block.creationTime = {0xFFFFFFFF, 0x01D00000};
    block.lastAccessTime = {0, 0x7FFFFFFF};
    block.lastWriteTime = {0x80000000, 1};
    block.sizeHigh = 0x12345678;
    block.sizeLow = 0x9ABCDEF0;

    for (LengthWidth width : kWidths) {
        CONTEXT(WidthName(width));
        CDataConverter out(width);
        for (const std::wstring& s : kWideStrings) out.Put(s);
        out.Put(message);
        out.Put(std::string());
        out.Put(kWideStrings);
        out.Put(std::vector<std::wstring>{});
        out.PutList(laps, [](CDataConverter& o, const Pair& p) {
            o.Put(p.first);
            o.Put(p.second);
        });
        out.PutList(groups, [](CDataConverter& o, const std::vector<std::wstring>& g) { o.Put(g); });
        out.Put(block);

        CDataParser in(out.Data(), out.Size(), width);
        for (const std::wstring& expected : kWideStrings) {
            std::wstring got = L"stale";
            REQUIRE_EQ(in.Get(got), 1);
            CHECK_EQ(got, expected);
        }
        std::string gotMessage, gotEmpty = "stale";
        REQUIRE(in.Get(gotMessage) && in.Get(gotEmpty));
        CHECK_EQ(gotMessage, message);
        CHECK_EQ(gotEmpty, std::string());

        std::vector<std::wstring> gotStrings, gotNone = {L"stale"};
        REQUIRE(in.Get(gotStrings) && in.Get(gotNone));
        CHECK(gotStrings == kWideStrings);
        CHECK(gotNone.empty());

        std::vector<Pair> gotLaps;
        REQUIRE(in.GetList(gotLaps, 16, [](CDataParser& i, Pair& p) { return i.Get(p.first) && i.Get(p.second); }));
        CHECK(gotLaps == laps);

        std::vector<std::vector<std::wstring>> gotGroups;
        REQUIRE(in.GetList(gotGroups, static_cast<size_t>(width),
                           [](CDataParser& i, std::vector<std::wstring>& g) { return i.Get(g); }));
        CHECK(gotGroups == groups);

        FileAttributeBlock gotBlock;
        REQUIRE_EQ(in.Get(gotBlock), 1);
        CHECK(gotBlock == block);
        CHECK(in.AtEnd());
    }
}

TEST_CASE("a lone surrogate is carried as the code unit it is") {
    std::wstring lone;
    lone += L'a';
    lone += static_cast<wchar_t>(0xD800);
    lone += L'b';
    CDataConverter out(LengthWidth::Four);
    out.Put(lone);
    CHECK_EQ(wiretest::Hex(out.Buffer()), std::string("06 00 00 00 61 00 00 D8 62 00"));

    CDataParser in(out.Data(), out.Size(), LengthWidth::Four);
    std::wstring got;
    REQUIRE_EQ(in.Get(got), 1);
    CHECK(got == lone);
}

TEST_CASE("a received string keeps what precedes its first NUL, and the read moves past all of it") {
    // "a", NUL, "b" as one 6-byte string, then a 32-bit 7.
    const std::vector<uint8_t> wide = wiretest::FromHex("06 00 00 00 | 61 00 00 00 62 00 | 07 00 00 00");
    CDataParser in(wide.data(), wide.size(), LengthWidth::Four);
    std::wstring s;
    int32_t after = 0;
    REQUIRE(in.Get(s) && in.Get(after));
    CHECK_EQ(s, std::wstring(L"a"));
    CHECK_EQ(after, 7);
    CHECK(in.AtEnd());

    const std::vector<uint8_t> narrow = wiretest::FromHex("03 00 00 00 00 00 00 00 | 00 78 79 | 07 00");
    CDataParser in2(narrow.data(), narrow.size(), LengthWidth::Four);
    std::string n = "stale";
    int16_t after2 = 0;
    REQUIRE(in2.Get(n) && in2.Get(after2));
    CHECK_EQ(n, std::string());
    CHECK_EQ(after2, int16_t{7});
    CHECK(in2.AtEnd());
}
