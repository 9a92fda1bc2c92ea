// Each kind of value against the exact bytes the peers send and expect. Every row is
// checked both ways: the converter must produce the bytes, and the parser must read the
// same bytes back to the value and use them up, so an encoder and decoder that are wrong
// in the same way cannot hide each other.
#include <cstdint>
#include <functional>
#include <type_traits>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "CDataConverter.h"
#include "CDataParser.h"
#include "HexBytes.h"
#include "TestHarness.h"

using Marlin::CDataConverter;
using Marlin::CDataParser;
using Marlin::FileAttributeBlock;
using Marlin::LengthWidth;
using wiretest::FromHex;
using wiretest::Hex;

namespace {

struct Row {
    const char* name;
    LengthWidth width;
    std::function<void(CDataConverter&)> write;
    std::function<bool(CDataParser&)> readAndCompare;
    const char* bytes;
};

template <typename T>
std::function<bool(CDataParser&)> Reads(T expected) {
    return [expected](CDataParser& in) {
        T got{};
        if (!CHECK_EQ(in.Get(got), 1)) return false;
        if constexpr (std::is_integral_v<T> || std::is_same_v<T, std::wstring> || std::is_same_v<T, std::string>) {
            return CHECK_EQ(got, expected);  // shows both values
        } else {
            return CHECK(got == expected);
        }
    };
}

template <typename T>
std::function<void(CDataConverter&)> Writes(T value) {
    return [value](CDataConverter& out) { out.Put(value); };
}

using Pair = std::pair<int64_t, int64_t>;
const std::vector<Pair> kLaps = {{1, 2}, {-1, 0x100}};

void PutPair(CDataConverter& out, const Pair& p) {
    out.Put(p.first);
    out.Put(p.second);
}
int GetPair(CDataParser& in, Pair& p) { return in.Get(p.first) && in.Get(p.second); }

FileAttributeBlock SampleBlock() {
    FileAttributeBlock b;
    b.attributes = 0x00000021;  // read-only | archive
    b.creationTime = {0x11121314, 0x15161718};
    b.lastAccessTime = {0x21222324, 0x25262728};
    b.lastWriteTime = {0x31323334, 0x35363738};
    b.sizeHigh = 0x00000001;
    b.sizeLow = 0x80000000;
    return b;
}
const char* const kSampleBlockBytes =
    "21 00 00 00 | 14 13 12 11 18 17 16 15 | 24 23 22 21 28 27 26 25 | 34 33 32 31 38 37 36 35 | "
    "01 00 00 00 | 00 00 00 80";

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"64-bit -1", LengthWidth::Eight, Writes<int64_t>(-1), Reads<int64_t>(-1), "FF FF FF FF FF FF FF FF"},
        {"64-bit unsigned", LengthWidth::Eight, Writes<uint64_t>(0x0102030405060708ull),
         Reads<uint64_t>(0x0102030405060708ull), "08 07 06 05 04 03 02 01"},
        {"32-bit", LengthWidth::Eight, Writes<uint32_t>(0x12345678u), Reads<uint32_t>(0x12345678u), "78 56 34 12"},
        {"32-bit negative", LengthWidth::Four, Writes<int32_t>(-2), Reads<int32_t>(-2), "FE FF FF FF"},
        {"16-bit", LengthWidth::Eight, Writes<uint16_t>(0xABCD), Reads<uint16_t>(0xABCD), "CD AB"},
        {"16-bit negative", LengthWidth::Eight, Writes<int16_t>(-32768), Reads<int16_t>(-32768), "00 80"},

        {"empty wide string, 8-byte length", LengthWidth::Eight, Writes(std::wstring()),
         Reads(std::wstring()), "00 00 00 00 00 00 00 00"},
        {"empty wide string, 4-byte length", LengthWidth::Four, Writes(std::wstring()), Reads(std::wstring()),
         "00 00 00 00"},
        {"ab, 8-byte length", LengthWidth::Eight, Writes(std::wstring(L"ab")), Reads(std::wstring(L"ab")),
         "04 00 00 00 00 00 00 00 | 61 00 62 00"},
        {"ab, 4-byte length", LengthWidth::Four, Writes(std::wstring(L"ab")), Reads(std::wstring(L"ab")),
         "04 00 00 00 | 61 00 62 00"},
        {"Japanese text", LengthWidth::Four, Writes(std::wstring(L"コピー")), Reads(std::wstring(L"コピー")),
         "06 00 00 00 | B3 30 D4 30 FC 30"},
        // One character outside the BMP is two UTF-16 units on the wire, whatever the
        // host's wchar_t holds.
        {"non-BMP character", LengthWidth::Four, Writes(std::wstring(L"a\U0001F600")),
         Reads(std::wstring(L"a\U0001F600")), "06 00 00 00 | 61 00 3D D8 00 DE"},
        {"wide string stops at its first NUL", LengthWidth::Four, Writes(std::wstring(L"a\0b", 3)),
         Reads(std::wstring(L"a")), "02 00 00 00 | 61 00"},

        // An exception's message has an 8-byte length on every protocol.
        {"narrow string on a 4-byte protocol", LengthWidth::Four, Writes(std::string("oops")),
         Reads(std::string("oops")), "04 00 00 00 00 00 00 00 | 6F 6F 70 73"},
        {"empty narrow string", LengthWidth::Eight, Writes(std::string()), Reads(std::string()),
         "00 00 00 00 00 00 00 00"},
        {"narrow string stops at its first NUL", LengthWidth::Eight, Writes(std::string("ok\0no", 5)),
         Reads(std::string("ok")), "02 00 00 00 00 00 00 00 | 6F 6B"},

        // The hand-off reply for the sources C:\a and C:\bb, after its status.
        {"list of wide strings, 4-byte counts", LengthWidth::Four,
         Writes(std::vector<std::wstring>{L"C:\\a", L"C:\\bb"}),
         Reads(std::vector<std::wstring>{L"C:\\a", L"C:\\bb"}),
         "02 00 00 00 | 08 00 00 00 43 00 3A 00 5C 00 61 00 | 0A 00 00 00 43 00 3A 00 5C 00 62 00 62 00"},
        {"list of wide strings, 8-byte counts", LengthWidth::Eight,
         Writes(std::vector<std::wstring>{L"x", L""}), Reads(std::vector<std::wstring>{L"x", L""}),
         "02 00 00 00 00 00 00 00 | 02 00 00 00 00 00 00 00 78 00 | 00 00 00 00 00 00 00 00"},
        {"empty list", LengthWidth::Four, Writes(std::vector<std::wstring>{}), Reads(std::vector<std::wstring>{}),
         "00 00 00 00"},
        {"list of records", LengthWidth::Eight, [](CDataConverter& out) { out.PutList(kLaps, PutPair); },
         [](CDataParser& in) {
             std::vector<Pair> got;
             return in.GetList(got, 16, GetPair) == 1 && CHECK(got == kLaps);
         },
         "02 00 00 00 00 00 00 00 | 01 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 | "
         "FF FF FF FF FF FF FF FF 00 01 00 00 00 00 00 00"},

        {"file attribute block", LengthWidth::Four, Writes(SampleBlock()), Reads(SampleBlock()), kSampleBlockBytes},
        {"raw bytes", LengthWidth::Eight, [](CDataConverter& out) { out.PutBytes("\x01\x00\xFF", 3); },
         [](CDataParser& in) {
             uint8_t got[3] = {};
             return in.GetBytes(got, 3) == 1 && CHECK_EQ(Hex(got, 3), std::string("01 00 FF"));
         },
         "01 00 FF"},
    };
    return rows;
}

}  // namespace

TEST_CASE("each kind of value is written as the peers' exact bytes and read back from them") {
    for (const Row& row : Rows()) {
        CONTEXT(row.name);
        CDataConverter out(row.width);
        row.write(out);
        CHECK_EQ(Hex(out.Buffer()), Hex(FromHex(row.bytes)));

        const std::vector<uint8_t> bytes = FromHex(row.bytes);
        CDataParser in(bytes.data(), bytes.size(), row.width);
        CHECK(row.readAndCompare(in));
        CHECK(in.AtEnd());
    }
}

TEST_CASE("values follow one another in the order they were put, with nothing between them") {
    CDataConverter out(LengthWidth::Four);
    out.Put(int32_t{10});
    out.Put(std::wstring(L"C:"));
    out.Put(int32_t{1});
    CHECK_EQ(Hex(out.Buffer()), Hex(FromHex("0A 00 00 00 | 04 00 00 00 43 00 3A 00 | 01 00 00 00")));
}

TEST_CASE("the converter's width defaults to the 8-byte protocols") {
    CDataConverter out;
    out.Put(std::wstring(L"ab"));
    CHECK_EQ(Hex(out.Buffer()), Hex(FromHex("04 00 00 00 00 00 00 00 61 00 62 00")));

    const std::vector<uint8_t> bytes = FromHex("04 00 00 00 00 00 00 00 61 00 62 00");
    CDataParser in(bytes.data(), bytes.size());
    std::wstring got;
    CHECK_EQ(in.Get(got), 1);
    CHECK_EQ(got, std::wstring(L"ab"));
}

#ifdef _WIN32
TEST_CASE("the platform's attribute record travels as the same 36 bytes, field for field") {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    data.dwFileAttributes = 0x21;
    data.ftCreationTime = {0x11121314, 0x15161718};
    data.ftLastAccessTime = {0x21222324, 0x25262728};
    data.ftLastWriteTime = {0x31323334, 0x35363738};
    data.nFileSizeHigh = 1;
    data.nFileSizeLow = 0x80000000;

    CDataConverter out;
    out.Put(data);
    CHECK_EQ(Hex(out.Buffer()), Hex(FromHex(kSampleBlockBytes)));
    // The platform record as it lies in memory is the wire form.
    CHECK_EQ(Hex(out.Buffer()), Hex(reinterpret_cast<const uint8_t*>(&data), sizeof data));

    WIN32_FILE_ATTRIBUTE_DATA back = {};
    CDataParser in(out.Data(), out.Size());
    REQUIRE_EQ(in.Get(back), 1);
    CHECK_EQ(Hex(reinterpret_cast<const uint8_t*>(&back), sizeof back), Hex(out.Buffer()));
    CHECK(in.AtEnd());
}
#endif
