// The copy tool's readers of the shell extension's replies on the hand-off pipe: the
// documented bytes, and every way a reply can be short, long or refused. Platform-free,
// so it runs natively under the sanitizers too; each reply lies in a block of exactly its
// own size, so a read past its end is caught.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "HandOffReply.h"
#include "HexBytes.h"
#include "ReplyBytes.h"
#include "TestHarness.h"

using handofftest::ReplyBytes;
using Marlin::HandOffReply;
using wiretest::FromHex;
using wiretest::Hex;

namespace {

using Bytes = std::vector<uint8_t>;

// The sources C:\a and C:\bb.
const char* const kSourcesExample =
    "00 00 00 00 | 02 00 00 00 | 08 00 00 00 43 00 3A 00 5C 00 61 00 |"
    " 0A 00 00 00 43 00 3A 00 5C 00 62 00 62 00";

Bytes Exact(const Bytes& bytes) {
    Bytes exact(bytes);
    exact.shrink_to_fit();
    return exact;
}

bool Sources(const Bytes& reply, std::vector<std::wstring>& sources) {
    const Bytes exact = Exact(reply);
    return HandOffReply::ReadSources(exact.data(), exact.size(), sources);
}
bool Destination(const Bytes& reply, std::wstring& destination) {
    const Bytes exact = Exact(reply);
    return HandOffReply::ReadDestination(exact.data(), exact.size(), destination);
}
bool Operation(const Bytes& reply, int32_t& operation) {
    const Bytes exact = Exact(reply);
    return HandOffReply::ReadOperation(exact.data(), exact.size(), operation);
}

Bytes Plus(Bytes bytes, const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}
Bytes Cut(const Bytes& bytes, size_t removed) { return Bytes(bytes.begin(), bytes.end() - static_cast<long>(removed)); }

}  // namespace

TEST_CASE("the documented reply with C:\\a and C:\\bb reads as those two sources") {
    CHECK_EQ(Hex(ReplyBytes::Sources({L"C:\\a", L"C:\\bb"})), Hex(FromHex(kSourcesExample)));
    std::vector<std::wstring> sources;
    REQUIRE(Sources(FromHex(kSourcesExample), sources));
    CHECK(sources == (std::vector<std::wstring>{L"C:\\a", L"C:\\bb"}));
}

TEST_CASE("a request is its command alone, four bytes") {
    CHECK_EQ(Hex(HandOffReply::Request(HandOffReply::kVersion)), std::string("01 00 00 00"));
    CHECK_EQ(Hex(HandOffReply::Request(HandOffReply::kOperation)), std::string("04 00 00 00"));
}

TEST_CASE("a sources reply is taken only whole and exact") {
    const Bytes example = FromHex(kSourcesExample);
    const Bytes lastLengthCutToTwo = Cut(example, 10 + 2);  // C:\bb's units and half its length
    const struct {
        const char* what;
        Bytes reply;
        bool accepted;
        std::vector<std::wstring> sources;
    } rows[] = {
        {"count 0 and nothing after it", FromHex("00 00 00 00 00 00 00 00"), true, {}},
        {"the example", example, true, {L"C:\\a", L"C:\\bb"}},
        {"Japanese and a character beyond 16 bits",
         ReplyBytes::Sources({L"C:\\資料\\ファイル.txt", L"C:\\\U0001F600"}), true,
         {L"C:\\資料\\ファイル.txt", L"C:\\\U0001F600"}},
        {"a path up to its first NUL", FromHex("00 00 00 00 01 00 00 00 06 00 00 00 41 00 00 00 42 00"), true, {L"A"}},
        {"one extra byte after the last source", Plus(example, {0x00}), false, {}},
        {"the last length cut to 2 bytes", lastLengthCutToTwo, false, {}},
        {"the last path one byte short", Cut(example, 1), false, {}},
        {"a count with no sources after it", FromHex("00 00 00 00 01 00 00 00"), false, {}},
        {"a count far beyond the bytes", FromHex("00 00 00 00 FF FF FF FF 00 00 00 00"), false, {}},
        {"a length beyond the bytes", FromHex("00 00 00 00 01 00 00 00 FE FF FF FF 41 00"), false, {}},
        {"an odd length", FromHex("00 00 00 00 01 00 00 00 03 00 00 00 41 00 42"), false, {}},
        {"status only", FromHex("00 00 00 00"), false, {}},
        {"the server's status 2 for a bad request", ReplyBytes::Status(2), false, {}},
        {"a failure status with a payload after it", Plus(ReplyBytes::Status(1), Bytes(example.begin() + 4, example.end())),
         false, {}},
        {"nothing at all", Bytes{}, false, {}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        std::vector<std::wstring> sources{L"kept"};
        CHECK_EQ(Sources(row.reply, sources), row.accepted);
        std::vector<std::wstring> expected{L"kept"};
        if (row.accepted) expected.insert(expected.end(), row.sources.begin(), row.sources.end());
        CHECK(sources == expected);  // appended on success, untouched on failure
    }
}

TEST_CASE("a destination reply is taken only whole and exact") {
    const Bytes root = ReplyBytes::Destination(L"D:\\");
    const std::wstring longPath(200, L'x');
    const struct {
        const char* what;
        Bytes reply;
        bool accepted;
        std::wstring destination;
    } rows[] = {
        {"a drive root", root, true, L"D:\\"},
        {"200 characters are 400 bytes", ReplyBytes::Destination(longPath), true, longPath},
        {"empty", FromHex("00 00 00 00 00 00 00 00"), true, L""},
        {"one byte more", Plus(root, {0x41}), false, L"before"},
        {"one byte short", Cut(root, 1), false, L"before"},
        {"the length cut to 2 bytes", FromHex("00 00 00 00 06 00"), false, L"before"},
        {"status 1", ReplyBytes::Status(1), false, L"before"},
    };
    CHECK_EQ(Hex(ReplyBytes::Destination(longPath).data() + 4, 4), std::string("90 01 00 00"));
    for (const auto& row : rows) {
        CONTEXT(row.what);
        std::wstring destination = L"before";
        CHECK_EQ(Destination(row.reply, destination), row.accepted);
        CHECK_EQ(destination, row.destination);
    }
}

TEST_CASE("an operation reply is exactly 8 bytes with copy or move") {
    const struct {
        const char* what;
        Bytes reply;
        bool accepted;
        int32_t operation;
    } rows[] = {
        {"copy", ReplyBytes::Operation(0), true, 0},
        {"move", ReplyBytes::Operation(1), true, 1},
        {"2 is neither, and would become a move flag", ReplyBytes::Operation(2), false, -7},
        {"-1 is neither", ReplyBytes::Operation(-1), false, -7},
        {"a 9th byte", Plus(ReplyBytes::Operation(1), {0}), false, -7},
        {"7 bytes", Cut(ReplyBytes::Operation(1), 1), false, -7},
        {"status 2", Plus(ReplyBytes::Status(2), {1, 0, 0, 0}), false, -7},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        int32_t operation = -7;
        CHECK_EQ(Operation(row.reply, operation), row.accepted);
        CHECK_EQ(operation, row.operation);
    }
}
