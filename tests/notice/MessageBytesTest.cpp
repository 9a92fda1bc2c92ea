// The notice message as the logging service receives it, byte for byte, and the record
// the library keeps from its start call. Platform-free, so it runs natively under the
// sanitizers too; each cut message lies in a block of exactly its own size.
#include <cstdint>
#include <string>
#include <vector>

#include "HexBytes.h"
#include "NoticeExample.h"
#include "NoticeMessage.h"
#include "NoticeRecord.h"
#include "TestHarness.h"

using Marlin::NoticeMessage;
using noticetest::kMoveExample;
using Marlin::NoticeRecord;
using wiretest::FromHex;
using wiretest::Hex;

namespace {

std::unique_ptr<NoticeRecord> MoveExample(int64_t startTime = 1700000000) {
    const wchar_t* paths[] = {L"C:\\a", L"C:\\b"};
    return NoticeRecord::FromCall(paths, 2, L"D:\\", 1, startTime);
}

bool ReadExact(const std::vector<uint8_t>& bytes, NoticeMessage& message) {
    // A block of exactly the message's size, so a read past its end is caught.
    std::vector<uint8_t> exact(bytes);
    exact.shrink_to_fit();
    return NoticeMessage::Read(exact.data(), exact.size(), message);
}

}  // namespace

TEST_CASE("a move of C:\\a and C:\\b to D:\\ at 1 700 000 000 s is sent as the documented bytes") {
    auto record = MoveExample();
    REQUIRE(record != nullptr);
    CHECK_EQ(Hex(NoticeMessage(*record).Bytes()), Hex(FromHex(kMoveExample)));
}

TEST_CASE("the start time goes out as its low 32 bits") {
    const struct {
        const char* what;
        int64_t startTime;
        const char* bytes;
    } rows[] = {
        {"zero", 0, "00 00 00 00"},
        {"the last second before 2038", 0x7FFFFFFF, "FF FF FF 7F"},
        {"past 2106, where 32 bits wrap", (int64_t{1} << 32) + 5, "05 00 00 00"},
        {"a clock before 1970 (-1)", -1, "FF FF FF FF"},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        auto record = MoveExample(row.startTime);
        const std::vector<uint8_t> bytes = NoticeMessage(*record).Bytes();
        REQUIRE(bytes.size() >= 8);
        CHECK_EQ(Hex(bytes.data() + 4, 4), Hex(FromHex(row.bytes)));
    }
}

TEST_CASE("the start call keeps a record only of a job it can report") {
    const wchar_t* two[] = {L"C:\\a", L"C:\\b"};
    const wchar_t* withNull[] = {L"C:\\a", nullptr, L"C:\\c"};
    const wchar_t* withNul[] = {L"C:\\a\0hidden"};
    const struct {
        const char* what;
        const wchar_t* const* paths;
        int count;
        const wchar_t* destination;
        bool recorded;
        std::vector<std::wstring> sources;
        std::wstring destinationKept;
    } rows[] = {
        {"two paths", two, 2, L"D:\\", true, {L"C:\\a", L"C:\\b"}, L"D:\\"},
        {"only the first of two paths", two, 1, L"D:\\", true, {L"C:\\a"}, L"D:\\"},
        {"no path array", nullptr, 2, L"D:\\", false, {}, L""},
        {"a count of 0", two, 0, L"D:\\", false, {}, L""},
        {"no destination", two, 2, nullptr, false, {}, L""},
        {"a negative count copies no path", two, -3, L"D:\\", true, {}, L"D:\\"},
        {"a null path stays an empty one", withNull, 3, L"D:\\", true, {L"C:\\a", L"", L"C:\\c"}, L"D:\\"},
        {"a path up to its first NUL", withNul, 1, L"D:\\x\0y", true, {L"C:\\a"}, L"D:\\x"},
        {"an empty destination is still one", two, 1, L"", true, {L"C:\\a"}, L""},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        auto record = NoticeRecord::FromCall(row.paths, row.count, row.destination, 1, 42);
        REQUIRE_EQ(record != nullptr, row.recorded);
        if (!record) continue;
        CHECK_EQ(record->startTime, int64_t{42});
        CHECK(record->sources == row.sources);
        CHECK_EQ(record->destination, row.destinationKept);
        CHECK_EQ(record->operation, int32_t{1});
    }
}

TEST_CASE("a whole notice message reads back as it was sent") {
    const wchar_t* paths[] = {L"C:\\資料\\a.txt", L"C:\\\U0001F600", L""};
    const struct {
        const char* what;
        const wchar_t* const* paths;
        int count;
        const wchar_t* destination;
        int operation;
    } rows[] = {
        {"the documented move", nullptr, 0, nullptr, 1},
        {"Japanese, a character beyond 16 bits and an empty path", paths, 3, L"D:\\コピー先", 0},
        {"no paths at all (negative count)", paths, -1, L"E:\\", 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        auto record = row.paths ? NoticeRecord::FromCall(row.paths, row.count, row.destination, row.operation, 1234567)
                                : MoveExample();
        REQUIRE(record != nullptr);
        NoticeMessage read;
        REQUIRE(ReadExact(NoticeMessage(*record).Bytes(), read));
        CHECK_EQ(read.startTime, static_cast<uint32_t>(record->startTime));
        CHECK(read.sources == record->sources);
        CHECK_EQ(read.destination, record->destination);
        CHECK_EQ(read.operation, record->operation);
    }
}

TEST_CASE("the reader takes only a whole message of command 10") {
    const std::vector<uint8_t> whole = FromHex(kMoveExample);
    NoticeMessage read;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        CONTEXT("cut to " + std::to_string(cut) + " bytes");
        CHECK(!ReadExact(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)), read));
    }
    std::vector<uint8_t> longer = whole;
    longer.push_back(0);
    CHECK(!ReadExact(longer, read));
    std::vector<uint8_t> otherCommand = whole;
    otherCommand[0] = 11;
    CHECK(!ReadExact(otherCommand, read));
    std::vector<uint8_t> oddLength = whole;
    oddLength[12] = 7;  // the first path's length, no longer a whole number of UTF-16 units
    CHECK(!ReadExact(oddLength, read));
    std::vector<uint8_t> hugeCount = whole;
    hugeCount[8] = hugeCount[9] = hugeCount[10] = hugeCount[11] = 0xFF;
    CHECK(!ReadExact(hugeCount, read));
    CHECK(!NoticeMessage::Read(nullptr, 0, read));
    CHECK(ReadExact(whole, read));
}
