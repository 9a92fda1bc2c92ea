// The shell extension's answers on the hand-off pipe, byte for byte: the four replies of
// a drop, and the failure statuses for requests that are short, long or unknown. The
// requests are what any process that opens the pipe may send. Platform-free, so it runs
// natively under the sanitizers too; each request lies in a block of exactly its own size.
#include <cstdint>
#include <string>
#include <vector>

#include "HandOffAnswer.h"
#include "HandOffReply.h"
#include "HexBytes.h"
#include "TestHarness.h"

using Marlin::HandOffAnswer;
using Marlin::HandOffReply;
using wiretest::FromHex;
using wiretest::Hex;

namespace {

using Bytes = std::vector<uint8_t>;

std::string Answer(const std::string& requestHex, const HandOffAnswer::Job& job) {
    Bytes request = FromHex(requestHex);
    request.shrink_to_fit();
    return Hex(HandOffAnswer::For(request.empty() ? nullptr : request.data(), request.size(), job));
}

}  // namespace

TEST_CASE("each request of a drop of three files gets its reply, in drop order") {
    const std::vector<std::wstring> sources{L"D:\\b", L"D:\\a", L"D:\\c.txt"};
    const std::wstring target = L"C:\\x";
    const HandOffAnswer::Job job{sources, target, 1};
    const struct {
        const char* what;
        const char* request;
        const char* reply;
    } rows[] = {
        {"1: the version", "01 00 00 00", "00 00 00 00 | 01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00"},
        {"2: count 3 and the paths as dropped", "02 00 00 00",
         "00 00 00 00 | 03 00 00 00 | 08 00 00 00 44 00 3A 00 5C 00 62 00 | 08 00 00 00 44 00 3A 00 5C 00 61 00 |"
         " 10 00 00 00 44 00 3A 00 5C 00 63 00 2E 00 74 00 78 00 74 00"},
        {"3: the target", "03 00 00 00", "00 00 00 00 | 08 00 00 00 43 00 3A 00 5C 00 78 00"},
        {"4: the move flag", "04 00 00 00", "00 00 00 00 | 01 00 00 00"},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(Answer(row.request, job), Hex(FromHex(row.reply)));
    }
}

TEST_CASE("a target of 200 characters goes out with the byte length 400") {
    const std::vector<std::wstring> sources{L"C:\\a"};
    const std::wstring target = L"C:\\" + std::wstring(197, L'x');
    const Bytes reply = HandOffAnswer::For(FromHex("03 00 00 00").data(), 4, HandOffAnswer::Job{sources, target, 0});
    REQUIRE_EQ(reply.size(), size_t{4 + 4 + 400});
    CHECK_EQ(Hex(reply.data(), 8), std::string("00 00 00 00 90 01 00 00"));
    std::wstring read;
    CHECK(HandOffReply::ReadDestination(reply.data(), reply.size(), read));
    CHECK(read == target);
}

TEST_CASE("malformed requests get a bare status: 1 when short, 2 when unknown or followed by bytes") {
    const std::vector<std::wstring> sources{L"C:\\a"};
    const std::wstring target = L"D:\\";
    const HandOffAnswer::Job job{sources, target, 0};
    const struct {
        const char* what;
        const char* request;
        const char* reply;
    } rows[] = {
        {"nothing", "", "01 00 00 00"},
        {"2 bytes", "02 00", "01 00 00 00"},
        {"3 bytes", "01 00 00", "01 00 00 00"},
        {"command 9", "09 00 00 00", "02 00 00 00"},
        {"command 0", "00 00 00 00", "02 00 00 00"},
        {"command -1", "FF FF FF FF", "02 00 00 00"},
        {"command 5", "05 00 00 00", "02 00 00 00"},
        {"command 2 and one byte", "02 00 00 00 00", "02 00 00 00"},
        {"command 1 and four bytes", "01 00 00 00 01 00 00 00", "02 00 00 00"},
        {"command 2 in the high bytes", "00 00 00 02", "02 00 00 00"},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(Answer(row.request, job), Hex(FromHex(row.reply)));
    }
}

TEST_CASE("an empty job still answers: count 0, an empty target") {
    const std::vector<std::wstring> sources;
    const std::wstring target;
    const HandOffAnswer::Job job{sources, target, 0};
    CHECK_EQ(Answer("02 00 00 00", job), std::string("00 00 00 00 00 00 00 00"));
    CHECK_EQ(Answer("03 00 00 00", job), std::string("00 00 00 00 00 00 00 00"));
}
