// Lengths and counts are read from the peer. One that the rest of the message cannot
// back must fail at once: no allocation sized by it, no loop driven by it. This
// executable replaces the global allocator to see the largest request made while a
// hostile read runs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "HexBytes.h"
#include "TestHarness.h"

using Marlin::CDataConverter;
using Marlin::CDataParser;
using Marlin::LengthWidth;
using wiretest::FromHex;

namespace {

bool g_watching = false;
size_t g_largestRequest = 0;

// Watches allocations for the lifetime of the object.
class AllocationWatch {
public:
    AllocationWatch() {
        g_largestRequest = 0;
        g_watching = true;
    }
    ~AllocationWatch() { g_watching = false; }
    size_t Largest() const { return g_largestRequest; }
};

void* Allocate(size_t n) {
    if (g_watching && n > g_largestRequest) g_largestRequest = n;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

enum class Read { WideString, NarrowString, WideList, RecordList, Count };

struct Row {
    const char* name;
    LengthWidth width;
    Read read;
    const char* bytes;  // a length or count, then a little of what could follow it
};

// Runs one read and reports whether it succeeded; counts how often a record list
// asked for an element.
int RunRead(CDataParser& in, Read read, int& elementCalls) {
    elementCalls = 0;
    switch (read) {
        case Read::WideString: {
            std::wstring s = L"keep";
            const int r = in.Get(s);
            if (!r) CHECK_EQ(s, std::wstring(L"keep"));
            return r;
        }
        case Read::NarrowString: {
            std::string s = "keep";
            const int r = in.Get(s);
            if (!r) CHECK_EQ(s, std::string("keep"));
            return r;
        }
        case Read::WideList: {
            std::vector<std::wstring> v = {L"keep"};
            const int r = in.Get(v);
            if (!r) CHECK(v == std::vector<std::wstring>{L"keep"});
            return r;
        }
        case Read::RecordList: {
            std::vector<std::pair<int64_t, int64_t>> v;
            return in.GetList(v, 16, [&](CDataParser& p, std::pair<int64_t, int64_t>& e) {
                ++elementCalls;
                return p.Get(e.first) && p.Get(e.second);
            });
        }
        case Read::Count: {
            uint64_t n = 12345;
            // A caller that claims elements may be empty still gets a bounded count.
            const int r = in.GetCount(n, 0);
            if (!r) CHECK_EQ(n, uint64_t{12345});
            return r;
        }
    }
    return 0;
}

const std::vector<Row> kHostile = {
    {"wide string of 2^64-2 bytes", LengthWidth::Eight, Read::WideString, "FE FF FF FF FF FF FF FF 61 00"},
    {"wide string of 2^31 bytes", LengthWidth::Eight, Read::WideString, "00 00 00 80 00 00 00 00 61 00"},
    {"wide string of 0x7FFFFFFE bytes, 4-byte length", LengthWidth::Four, Read::WideString, "FE FF FF 7F 61 00"},
    {"wide string of 0xFFFFFFFE bytes, 4-byte length", LengthWidth::Four, Read::WideString, "FE FF FF FF 61 00"},
    {"narrow string of 2^64-1 bytes", LengthWidth::Eight, Read::NarrowString, "FF FF FF FF FF FF FF FF 61"},
    {"narrow string of 0x7FFFFFFF bytes on a 4-byte protocol", LengthWidth::Four, Read::NarrowString,
     "FF FF FF 7F 00 00 00 00 61"},
    {"wide list of 2^64-1 strings", LengthWidth::Eight, Read::WideList,
     "FF FF FF FF FF FF FF FF | 00 00 00 00 00 00 00 00"},
    {"wide list of 0x7FFFFFFF strings", LengthWidth::Four, Read::WideList, "FF FF FF 7F | 00 00 00 00 00 00 00 00"},
    {"wide list of 0xFFFFFFFF strings", LengthWidth::Four, Read::WideList, "FF FF FF FF | 00 00 00 00"},
    {"record list of 2^64-1 records", LengthWidth::Eight, Read::RecordList,
     "FF FF FF FF FF FF FF FF | 01 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00"},
    {"record list of 0x7FFFFFFF records", LengthWidth::Four, Read::RecordList,
     "FF FF FF 7F | 01 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00"},
    {"count of 2^64-1 empty elements", LengthWidth::Eight, Read::Count, "FF FF FF FF FF FF FF FF 00 00 00"},
    {"count of 0xFFFFFFFF empty elements", LengthWidth::Four, Read::Count, "FF FF FF FF 00 00 00"},
};

}  // namespace

TEST_CASE("a length or count beyond the message fails at once, without allocating or looping for it") {
    {
        // The watch must see the parser's allocations, or the checks below prove nothing.
        CDataConverter out;
        out.Put(std::wstring(1000, L'x'));
        CDataParser in(out.Data(), out.Size());
        std::wstring s;
        AllocationWatch watch;
        REQUIRE_EQ(in.Get(s), 1);
        REQUIRE(watch.Largest() >= 1000);
    }
    for (const Row& row : kHostile) {
        CONTEXT(row.name);
        const std::vector<uint8_t> bytes = FromHex(row.bytes);
        CDataParser in(bytes.data(), bytes.size(), row.width);
        int elementCalls = 0;
        int result = 1;
        size_t largest = 0;
        {
            AllocationWatch watch;
            result = RunRead(in, row.read, elementCalls);
            largest = watch.Largest();
        }
        CHECK_EQ(result, 0);
        CHECK_EQ(in.Remaining(), bytes.size());
        CHECK_EQ(elementCalls, 0);
        // Anything at all is more than a refusal needs; allow a little for a growing string.
        CHECK(largest < 256);
    }
}

TEST_CASE("a count is held against the least size of one element") {
    // Two 16-byte records follow the count. Two fit; three do not, and the third
    // record is not even attempted.
    CDataConverter out(LengthWidth::Four);
    for (uint32_t claimed : {2u, 3u}) {
        CONTEXT("claimed " + std::to_string(claimed) + " records");
        out.Clear();
        out.Put(claimed);
        for (int64_t v : {1, 2, 3, 4}) out.Put(v);
        CDataParser in(out.Data(), out.Size(), LengthWidth::Four);
        int elementCalls = 0;
        const int result = RunRead(in, Read::RecordList, elementCalls);
        CHECK_EQ(result, claimed == 2 ? 1 : 0);
        CHECK_EQ(elementCalls, claimed == 2 ? 2 : 0);
        CHECK(claimed == 2 ? in.AtEnd() : in.Remaining() == out.Size());
    }

    // Wide strings take at least their length field: three empty strings on 4-byte
    // lengths are 12 bytes, and a fourth cannot be claimed.
    const std::vector<uint8_t> three = FromHex("03 00 00 00 | 00 00 00 00 00 00 00 00 00 00 00 00");
    const std::vector<uint8_t> four = FromHex("04 00 00 00 | 00 00 00 00 00 00 00 00 00 00 00 00");
    int calls = 0;
    CDataParser a(three.data(), three.size(), LengthWidth::Four);
    CHECK_EQ(RunRead(a, Read::WideList, calls), 1);
    CHECK(a.AtEnd());
    CDataParser b(four.data(), four.size(), LengthWidth::Four);
    CHECK_EQ(RunRead(b, Read::WideList, calls), 0);
    CHECK_EQ(b.Remaining(), four.size());
}

TEST_CASE("a string length that the remaining bytes exactly cover is accepted, one more is not") {
    const struct {
        const char* name;
        LengthWidth width;
        Read read;
        const char* bytes;
        int expected;
    } rows[] = {
        {"wide, covered", LengthWidth::Four, Read::WideString, "04 00 00 00 61 00 62 00", 1},
        {"wide, one byte short", LengthWidth::Four, Read::WideString, "04 00 00 00 61 00 62", 0},
        {"narrow, covered", LengthWidth::Eight, Read::NarrowString, "02 00 00 00 00 00 00 00 61 62", 1},
        {"narrow, one byte short", LengthWidth::Eight, Read::NarrowString, "03 00 00 00 00 00 00 00 61 62", 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        const std::vector<uint8_t> bytes = FromHex(row.bytes);
        CDataParser in(bytes.data(), bytes.size(), row.width);
        int calls = 0;
        CHECK_EQ(RunRead(in, row.read, calls), row.expected);
        CHECK_EQ(in.Remaining(), row.expected ? size_t{0} : bytes.size());
    }
}

TEST_CASE("a wide string of an odd byte length is refused even when the bytes are there") {
    for (const char* bytes : {"03 00 00 00 61 00 62 00", "01 00 00 00 61 00", "05 00 00 00 61 00 62 00 63 00"}) {
        CONTEXT(bytes);
        const std::vector<uint8_t> b = FromHex(bytes);
        CDataParser in(b.data(), b.size(), LengthWidth::Four);
        int calls = 0;
        CHECK_EQ(RunRead(in, Read::WideString, calls), 0);
        CHECK_EQ(in.Remaining(), b.size());
    }
}
