// A message cut short anywhere must fail as a whole, and the Get that meets the cut must
// leave the position where it was. Each cut message lies in a heap block of exactly its
// own size, so a read past the cut is caught by the sanitizers as well.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "TestHarness.h"

using Marlin::CDataConverter;
using Marlin::CDataParser;
using Marlin::FileAttributeBlock;
using Marlin::LengthWidth;

namespace {

using Pair = std::pair<int64_t, int64_t>;

struct Step {
    const char* what;
    std::function<int(CDataParser&)> read;
};

// One message of every kind, laid out the way the protocols mix them.
std::vector<uint8_t> BuildMessage(LengthWidth width) {
    CDataConverter out(width);
    out.Put(int32_t{10});
    out.Put(uint32_t{0x5F5E1000});
    out.Put(std::vector<std::wstring>{L"C:\\資料\\a.txt", L"\U0001F600", L""});
    out.Put(std::wstring(L"D:\\"));
    out.Put(std::string("disk full"));
    out.Put(int32_t{112});
    FileAttributeBlock block;
    block.attributes = 0x20;
    block.sizeLow = 4096;
    out.Put(block);
    out.Put(int64_t{-1});
    out.Put(uint16_t{'E'});
    out.PutList(std::vector<Pair>{{1, 2}, {3, 4}}, [](CDataConverter& o, const Pair& p) {
        o.Put(p.first);
        o.Put(p.second);
    });
    out.PutBytes("\x01\x02\x03", 3);
    out.Put(std::wstring());
    out.Put(std::vector<std::wstring>{});
    return out.Buffer();
}

std::vector<Step> Reader() {
    return {
        {"command", [](CDataParser& in) { int32_t v; return in.Get(v); }},
        {"time", [](CDataParser& in) { uint32_t v; return in.Get(v); }},
        {"sources", [](CDataParser& in) { std::vector<std::wstring> v; return in.Get(v); }},
        {"destination", [](CDataParser& in) { std::wstring v; return in.Get(v); }},
        {"message", [](CDataParser& in) { std::string v; return in.Get(v); }},
        {"code", [](CDataParser& in) { int32_t v; return in.Get(v); }},
        {"attributes", [](CDataParser& in) { FileAttributeBlock v; return in.Get(v); }},
        {"shortfall", [](CDataParser& in) { int64_t v; return in.Get(v); }},
        {"letter", [](CDataParser& in) { uint16_t v; return in.Get(v); }},
        {"laps",
         [](CDataParser& in) {
             std::vector<Pair> v;
             return in.GetList(v, 16, [](CDataParser& i, Pair& p) { return i.Get(p.first) && i.Get(p.second); });
         }},
        {"raw", [](CDataParser& in) { uint8_t v[3]; return in.GetBytes(v, 3); }},
        {"empty string", [](CDataParser& in) { std::wstring v; return in.Get(v); }},
        {"empty list", [](CDataParser& in) { std::vector<std::wstring> v; return in.Get(v); }},
    };
}

int ReadAll(CDataParser& in) {
    return in.GetRecord([](CDataParser& p) {
        for (const Step& step : Reader()) {
            if (!step.read(p)) return 0;
        }
        return 1;
    });
}

const char* WidthName(LengthWidth w) { return w == LengthWidth::Eight ? "8-byte lengths" : "4-byte lengths"; }

}  // namespace

TEST_CASE("the whole message reads, and is used up exactly") {
    for (LengthWidth width : {LengthWidth::Eight, LengthWidth::Four}) {
        CONTEXT(WidthName(width));
        const std::vector<uint8_t> message = BuildMessage(width);
        CDataParser in(message.data(), message.size(), width);
        CHECK_EQ(ReadAll(in), 1);
        CHECK(in.AtEnd());

        // One byte too many: every value still reads, but the message is not used up,
        // which is what rejects a reply with trailing bytes.
        std::vector<uint8_t> longer = message;
        longer.push_back(0);
        CDataParser in2(longer.data(), longer.size(), width);
        CHECK_EQ(ReadAll(in2), 1);
        CHECK(!in2.AtEnd());
        CHECK_EQ(in2.Remaining(), size_t{1});
    }
}

TEST_CASE("a message cut one byte short at any length fails whole, consuming nothing at the cut") {
    for (LengthWidth width : {LengthWidth::Eight, LengthWidth::Four}) {
        const std::vector<uint8_t> message = BuildMessage(width);
        const std::vector<Step> steps = Reader();

        // Where each value ends in the whole message: the value that spans the cut is the
        // first whose Get must fail; every one before it must succeed.
        std::vector<size_t> ends;
        {
            CDataParser in(message.data(), message.size(), width);
            for (const Step& step : steps) {
                REQUIRE(step.read(in));
                ends.push_back(message.size() - in.Remaining());
            }
        }

        for (size_t cut = 0; cut < message.size(); ++cut) {
            CONTEXT(std::string(WidthName(width)) + ", cut to " + std::to_string(cut) + " of " +
                    std::to_string(message.size()) + " bytes");
            const std::vector<uint8_t> bytes(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(cut));

            CDataParser whole(bytes.data(), bytes.size(), width);
            CHECK_EQ(ReadAll(whole), 0);
            CHECK_EQ(whole.Remaining(), cut);
            CHECK(whole.Position() == bytes.data());

            CDataParser in(bytes.data(), bytes.size(), width);
            size_t failedAt = steps.size();
            for (size_t i = 0; i < steps.size(); ++i) {
                const size_t before = in.Remaining();
                const uint8_t* at = in.Position();
                if (!steps[i].read(in)) {
                    CONTEXT(steps[i].what);
                    CHECK_EQ(in.Remaining(), before);
                    CHECK(in.Position() == at);
                    failedAt = i;
                    break;
                }
            }
            size_t expected = 0;
            while (ends[expected] <= cut) ++expected;
            CHECK_EQ(failedAt, expected);
        }
    }
}
