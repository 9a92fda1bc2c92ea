// The elevation pipe's messages apart from the pipe: the normal instance's answer to each
// request (the dispatch the server runs), and the elevated instance's readers of those
// answers, on the documented bytes and on every short, long or refused form.
// Platform-free, so it runs natively under the sanitizers too.
#include <cstdint>
#include <string>
#include <vector>

#include "CDataConverter.h"
#include "HexBytes.h"
#include "RecordFixtures.h"
#include "SluiceCoreDisplayStatusRecord.h"
#include "SluiceElevateCommandHandler.h"
#include "SluiceElevateMessages.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceOptionRecord.h"
#include "SluiceStatusRecord.h"
#include "TestHarness.h"

using Marlin::CDataConverter;
using Marlin::SluiceElevateCommandHandler;
using Marlin::SluiceElevateMessages;
using Marlin::SluiceStatusRecord;
using namespace Marlin::Sluice;
using namespace elevatetest;
using wiretest::FromHex;
using wiretest::Hex;
using Bytes = std::vector<uint8_t>;

namespace {

// Answers from fixed records, remembering what reached the relay.
class RecordingHandler : public SluiceElevateCommandHandler {
public:
    int relayed = 0;
    int32_t lastCode = 0;
    std::wstring lastReadingPath;
    bool lastOwnsException = false;
    int32_t answerToGive = 5;
    int32_t applyToAllToGive = 1;
    int32_t cancelSeen = 0;

    Bytes Ask(const Bytes& request) {
        Bytes exact(request);
        exact.shrink_to_fit();
        return Answer(exact.data(), exact.size());
    }

protected:
    void PutOption(CDataConverter& out) override { Marlin::SluiceOptionRecord::Put(out, ExampleOption()); }
    void PutStatus(CDataConverter& out) override {
        CopyItemsData items;
        items.AppendTree(ExampleTree());
        SluiceStatusRecord::Cursor cursor;
        cursor.tree = 0;
        cursor.node = items.Tree(0).begin();
        cursor.state = SluiceStatusItemInfo::Walking;
        cursor.phase = SluiceStatusItemInfo::SinglePass;
        SluiceStatusRecord::Put(out, 0, 1, items, cursor, cursor);
    }
    void Relay(int32_t code, SluiceCoreDisplayStatus& received, int32_t& answer, int32_t& applyToAll) override {
        ++relayed;
        lastCode = code;
        lastReadingPath = received.readingPath;
        lastOwnsException = received.ownsException() == 1;
        answer = answerToGive;
        applyToAll = applyToAllToGive;
    }
    int32_t CancelSeen() override { return cancelSeen; }
};

Bytes Plus(Bytes b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
    return b;
}

Bytes EventWithOverwrite(int32_t command) {
    SluiceCoreDisplayStatus status = ExampleDisplayStatus();
    SluiceExceptionOverwrite overwrite(L"C:\\a", {}, L"D:\\a", {});
    status.SetException(&overwrite);
    Bytes request = SluiceElevateMessages::EventRequest(command, 2003, status);
    status.SetException(nullptr);
    return request;
}

}  // namespace

TEST_CASE("each request gets its documented answer, and the commands without payload ignore stray bytes") {
    RecordingHandler handler;
    handler.cancelSeen = 1;
    const Bytes stray = FromHex("EE EE");
    struct Row {
        const char* what;
        Bytes request;
        std::string reply;  // hex; empty: checked below by reading
    } rows[] = {
        {"version", FromHex("01 00 00 00"), "00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00"},
        {"version with stray bytes", Plus(FromHex("01 00 00 00"), stray),
         "00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00"},
        {"cancel query after a cancel", FromHex("0A 00 00 00"), "00 00 00 00 01 00 00 00"},
        {"cancel query with stray bytes", Plus(FromHex("0A 00 00 00"), stray), "00 00 00 00 01 00 00 00"},
        {"no command at all", Bytes{}, "01 00 00 00"},
        {"3 bytes", FromHex("01 00 00"), "01 00 00 00"},
        {"command 4 is not one", FromHex("04 00 00 00"), "02 00 00 00"},
        {"command 11 is not one", FromHex("0B 00 00 00"), "02 00 00 00"},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(Hex(handler.Ask(row.request)), row.reply);
    }
    CHECK_EQ(handler.relayed, 0);

    SluiceOption option;
    const Bytes optionReply = handler.Ask(Plus(FromHex("02 00 00 00"), stray));
    REQUIRE(SluiceElevateMessages::ReadOptionReply(optionReply.data(), optionReply.size(), option));
    CHECK(option.sources == ExampleOption().sources);
    SluiceStatusRecord status;
    const Bytes statusReply = handler.Ask(FromHex("03 00 00 00"));
    REQUIRE(SluiceElevateMessages::ReadStatusReply(statusReply.data(), statusReply.size(), status));
    CHECK_EQ(status.encryptionSupported, 1);
    CheckSameTree(status.items.Tree(0), ExampleTree());
}

TEST_CASE("an event is relayed and answered with status 0; a question brings the answer and apply-to-all back") {
    RecordingHandler handler;
    CHECK_EQ(Hex(handler.Ask(EventWithOverwrite(SluiceElevateMessages::kEvent))), std::string("00 00 00 00"));
    CHECK_EQ(handler.relayed, 1);
    CHECK_EQ(handler.lastCode, 2003);
    CHECK(handler.lastOwnsException);
    CHECK_EQ(handler.lastReadingPath, ExampleDisplayStatus().readingPath);

    const Bytes reply = handler.Ask(EventWithOverwrite(SluiceElevateMessages::kQuestion));
    CHECK_EQ(Hex(reply), std::string("00 00 00 00 05 00 00 00 01 00 00 00"));
    int32_t answer = 0, all = 0;
    CHECK(SluiceElevateMessages::ReadQuestionReply(reply.data(), reply.size(), answer, all));
    CHECK_EQ(answer, 5);
    CHECK_EQ(all, 1);
    CHECK_EQ(handler.relayed, 2);
}

TEST_CASE("an event or question that is cut short, malformed or followed by stray bytes gets status 1 and is not relayed") {
    for (int32_t command : {int32_t{SluiceElevateMessages::kEvent}, int32_t{SluiceElevateMessages::kQuestion}}) {
        const Bytes whole = EventWithOverwrite(command);
        Bytes badTag = whole;
        badTag[whole.size() - 4 - (8 + 4 + 4 + 8 + 8 + 36 + 8 + 8 + 36)] = 9;  // the overwrite form's tag
        struct Row {
            const char* what;
            Bytes request;
        } rows[] = {
            {"3 bytes short", Bytes(whole.begin(), whole.end() - 3)},
            {"only the command", Bytes(whole.begin(), whole.begin() + 4)},
            {"the command and the event number", Bytes(whole.begin(), whole.begin() + 8)},
            {"a stray byte after it", Plus(whole, {0})},
            {"exception tag 9", badTag},
        };
        for (const Row& row : rows) {
            CONTEXT(std::string(command == SluiceElevateMessages::kEvent ? "event: " : "question: ") + row.what);
            RecordingHandler handler;
            CHECK_EQ(Hex(handler.Ask(row.request)), std::string("01 00 00 00"));
            CHECK_EQ(handler.relayed, 0);
        }
    }
}

TEST_CASE("the elevated instance accepts only a status 0 reply of exactly its size") {
    CDataConverter option;
    option.Put(int32_t{0});
    Marlin::SluiceOptionRecord::Put(option, ExampleOption());
    const Bytes optionReply = option.Buffer();

    struct Row {
        const char* what;
        Bytes reply;
        bool event, question, cancel, option;
    } rows[] = {
        {"event: status 0", FromHex("00 00 00 00"), true, false, false, false},
        {"status 1", FromHex("01 00 00 00"), false, false, false, false},
        {"status 2", FromHex("02 00 00 00"), false, false, false, false},
        {"cut status", FromHex("00 00 00"), false, false, false, false},
        {"empty", Bytes{}, false, false, false, false},
        {"question: status 0, answer, apply-to-all", FromHex("00 00 00 00 02 00 00 00 00 00 00 00"), false, true, false,
         false},
        {"question with a stray byte", FromHex("00 00 00 00 02 00 00 00 00 00 00 00 00"), false, false, false, false},
        {"cancel: status 0 and the flag", FromHex("00 00 00 00 01 00 00 00"), false, false, true, false},
        {"cancel with status 1 and a flag", FromHex("01 00 00 00 01 00 00 00"), false, false, false, false},
        {"the option whole", optionReply, false, false, false, true},
        {"the option with a stray byte", Plus(optionReply, {0}), false, false, false, false},
        {"the option 1 byte short", Bytes(optionReply.begin(), optionReply.end() - 1), false, false, false, false},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        Bytes r(row.reply);
        r.shrink_to_fit();
        int32_t answer = -1, all = -1, cancelled = -1;
        SluiceOption o;
        o.destination = L"kept";
        CHECK_EQ(SluiceElevateMessages::ReadEventReply(r.data(), r.size()), row.event);
        CHECK_EQ(SluiceElevateMessages::ReadQuestionReply(r.data(), r.size(), answer, all), row.question);
        CHECK_EQ(SluiceElevateMessages::ReadCancelReply(r.data(), r.size(), cancelled), row.cancel);
        CHECK_EQ(SluiceElevateMessages::ReadOptionReply(r.data(), r.size(), o), row.option);
        if (!row.question) CHECK(answer == -1 && all == -1);
        if (!row.cancel) CHECK_EQ(cancelled, -1);
        CHECK_EQ(o.destination, std::wstring(row.option ? L"D:\\" : L"kept"));
    }
}
