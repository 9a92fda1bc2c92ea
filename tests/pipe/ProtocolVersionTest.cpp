#include <cstring>
#include <string>
#include <vector>

#include "ProtocolVersion.h"
#include "TestHarness.h"

using Marlin::ProtocolVersion;

static std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

static const std::vector<uint8_t> GoodReply =
    Bytes({0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});

TEST_CASE("the version goes on the wire as four little-endian words 1, 0, 0, 1") {
    auto bytes = ProtocolVersion().Bytes();
    CHECK(std::vector<uint8_t>(bytes.begin(), bytes.end()) ==
          Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    CHECK(ProtocolVersion::Request() == Bytes({1, 0, 0, 0}));
    CHECK(ProtocolVersion().Reply() == GoodReply);
}

TEST_CASE("a client accepts only a 20-byte reply with status 0 and the very same version") {
    auto with = [](std::vector<uint8_t> reply, size_t at, uint8_t value) {
        reply[at] = value;
        return reply;
    };
    std::vector<uint8_t> longer = GoodReply;
    longer.insert(longer.end(), {0, 0, 0, 0});
    std::vector<uint8_t> shorter(GoodReply.begin(), GoodReply.end() - 1);
    std::vector<uint8_t> versionOnly(GoodReply.begin() + 4, GoodReply.end());

    struct Row {
        const char* what;
        std::vector<uint8_t> reply;
        bool accepted;
    } rows[] = {
        {"the system's own reply", GoodReply, true},
        {"24 bytes: four more after the version", longer, false},
        {"last word 2 instead of 1", with(GoodReply, 16, 2), false},
        {"first word 2 (a newer major version)", with(GoodReply, 4, 2), false},
        {"a byte set in the middle words", with(GoodReply, 9, 1), false},
        {"first word big-endian", with(with(GoodReply, 4, 0), 7, 1), false},
        {"status 1 in front of a good version", with(GoodReply, 0, 1), false},
        {"status with only its high byte set", with(GoodReply, 3, 0x80), false},
        {"19 bytes", shorter, false},
        {"the version without a status", versionOnly, false},
        {"a bare status 0", Bytes({0, 0, 0, 0}), false},
        {"nothing", {}, false},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(ProtocolVersion().AcceptsReply(row.reply), row.accepted);
    }
}

TEST_CASE("a peer with another version value refuses the system's reply") {
    ProtocolVersion other(1, 0, 0, 2);
    CHECK(other != ProtocolVersion());
    CHECK(!other.AcceptsReply(ProtocolVersion().Reply()));
    CHECK(other.AcceptsReply(other.Reply()));
    CHECK(!ProtocolVersion().AcceptsReply(nullptr, ProtocolVersion::ReplySize));
}
