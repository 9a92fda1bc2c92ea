// The shell extension's hand-off server against a client of the tests, which it starts
// in the copy tool's place with "/FCP <pipe name>" and serves until the client closes
// the pipe or ends: the replies byte for byte, malformed requests answered and the
// conversation going on, a client killed before or during the conversation, a copy tool
// that cannot be started, and a stranger that opens the pipe first.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "BuildFiles.h"
#include "HexBytes.h"
#include "ReplyBytes.h"
#include "RunSluiceServer.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "ThreadStart.h"

using handofftest::ReplyBytes;
using Marlin::RunSluiceServer;
using quaytest::TempDir;
using wiretest::Hex;

namespace {

std::wstring ClientFile() { return quaytest::BuildFile(QUAYTEST_HANDOFF_CLIENT_EXE); }

// The replies the client recorded, one hex line each; none when it recorded nothing.
std::vector<std::string> RecordedReplies(const std::wstring& record) {
    std::vector<std::string> lines;
    if (!quaytest::Exists(record)) return lines;
    std::string text = quaytest::ReadBytes(record);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

struct Conversation {
    int result = -1;
    std::vector<std::string> replies;
};

// Runs one hand-off with the client following script.
Conversation HandOff(const std::wstring& copyTool, const std::wstring& script, const std::vector<std::wstring>& sources,
                     const std::wstring& target, int32_t moveFlag) {
    TempDir scratch;
    const std::wstring record = scratch / L"record.txt";
    SetEnvironmentVariableW(L"QUAYTEST_HANDOFF_SCRIPT", script.c_str());
    SetEnvironmentVariableW(L"QUAYTEST_HANDOFF_RECORD", record.c_str());
    RunSluiceServer server;
    server.SetJob(&copyTool, &sources, &target, &moveFlag);
    Conversation conversation;
    conversation.result = server.HandOff();
    conversation.replies = RecordedReplies(record);
    return conversation;
}

std::vector<std::string> Hexes(const std::vector<std::vector<uint8_t>>& replies) {
    std::vector<std::string> out;
    for (const auto& reply : replies) out.push_back(Hex(reply));
    return out;
}

std::string Show(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += "\n      " + line;
    return out;
}

}  // namespace

TEST_CASE("the client's requests get the job's replies; malformed ones a status, and the next is served") {
    const std::vector<std::wstring> three{L"D:\\写真\\b.jpg", L"D:\\a.txt", L"D:\\資料"};
    const std::wstring target = L"C:\\" + std::wstring(197, L't');  // 200 characters
    const auto version = ReplyBytes::Version(1, 0, 0, 1);
    const struct {
        const char* what;
        const wchar_t* script;
        int32_t moveFlag;
        std::vector<std::vector<uint8_t>> replies;
    } rows[] = {
        {"the copy tool's four requests, a copy",
         L"open w:01000000 r w:02000000 r w:03000000 r w:04000000 r", 0,
         {version, ReplyBytes::Sources(three), ReplyBytes::Destination(target), ReplyBytes::Operation(0)}},
        {"a move", L"open w:04000000 r", 1, {ReplyBytes::Operation(1)}},
        {"a second request 2 gets the same list", L"open w:02000000 r w:02000000 r", 0,
         {ReplyBytes::Sources(three), ReplyBytes::Sources(three)}},
        {"a 2-byte request: status 1, then served", L"open w:0200 r w:01000000 r", 0,
         {ReplyBytes::Status(1), version}},
        {"command 9: status 2, then served", L"open w:09000000 r w:03000000 r", 0,
         {ReplyBytes::Status(2), ReplyBytes::Destination(target)}},
        {"a command and one byte: status 2, then served", L"open w:0200000000 r w:02000000 r", 0,
         {ReplyBytes::Status(2), ReplyBytes::Sources(three)}},
        {"requests in any order, as often as asked", L"open w:04000000 r w:01000000 r w:04000000 r", 1,
         {ReplyBytes::Operation(1), version, ReplyBytes::Operation(1)}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        const Conversation c = HandOff(ClientFile(), row.script, three, target, row.moveFlag);
        CHECK_EQ(c.result, 1);
        CHECK_EQ(Show(c.replies), Show(Hexes(row.replies)));
    }
    // The documented fields, read off the bytes themselves.
    const Conversation c = HandOff(ClientFile(), L"open w:02000000 r w:03000000 r", three, target, 0);
    REQUIRE_EQ(c.replies.size(), size_t{2});
    CHECK_EQ(c.replies[0].substr(0, 23), std::string("00 00 00 00 03 00 00 00"));  // count 3
    CHECK_EQ(c.replies[1].substr(0, 23), std::string("00 00 00 00 90 01 00 00"));  // 400 bytes
}

TEST_CASE("a client that ends, before connecting or in the middle, ends the hand-off") {
    const std::vector<std::wstring> sources{L"C:\\a"};
    const std::wstring target = L"D:\\";
    const struct {
        const char* what;
        const wchar_t* script;
        size_t replies;
    } rows[] = {
        {"killed right after its start", L"kill", 0},
        {"killed after connecting", L"open kill", 0},
        {"killed in the middle of the conversation", L"open w:01000000 r w:02000000 kill", 1},
        {"ended without closing, having asked nothing", L"open", 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        // The hand-off returning at all is the point: it waits without a time-out.
        const Conversation c = HandOff(ClientFile(), row.script, sources, target, 0);
        CHECK_EQ(c.result, 1);
        CHECK_EQ(c.replies.size(), row.replies);
    }
}

TEST_CASE("a copy tool that cannot be started, or a job with a part missing, starts nothing") {
    TempDir scratch;
    const std::vector<std::wstring> sources{L"C:\\a"};
    const std::wstring target = L"D:\\";
    const int32_t moveFlag = 0;
    const std::wstring missing = scratch / L"Quaysail.exe";
    const Conversation c = HandOff(missing, L"open w:01000000 r", sources, target, 0);
    CHECK_EQ(c.result, 1);
    CHECK(c.replies.empty());

    const std::wstring client = ClientFile();
    const struct {
        const char* what;
        const std::wstring* copyTool;
        const std::vector<std::wstring>* sources;
        const std::wstring* target;
        const int32_t* moveFlag;
    } rows[] = {
        {"no copy tool", nullptr, &sources, &target, &moveFlag},
        {"no sources", &client, nullptr, &target, &moveFlag},
        {"no target", &client, &sources, nullptr, &moveFlag},
        {"no move flag", &client, &sources, &target, nullptr},
    };
    const std::wstring record = scratch / L"record.txt";
    SetEnvironmentVariableW(L"QUAYTEST_HANDOFF_SCRIPT", L"open w:01000000 r");
    SetEnvironmentVariableW(L"QUAYTEST_HANDOFF_RECORD", record.c_str());
    for (const auto& row : rows) {
        CONTEXT(row.what);
        RunSluiceServer server;
        server.SetJob(row.copyTool, row.sources, row.target, row.moveFlag);
        CHECK_EQ(server.HandOff(), 0);
        CHECK(!quaytest::Exists(record));
    }
}

namespace {

struct Stranger {
    std::wstring pipe;
    std::wstring ready;  // set by the client once it runs: the pipe exists then
    std::wstring done;   // set here when the stranger has been turned away
    std::atomic<int> repliedBytes{-1};
};

unsigned __stdcall StrangerBody(void* argument) {
    auto& s = *static_cast<Stranger*>(argument);
    Marlin::KernelHandle ready(OpenEventW(SYNCHRONIZE, FALSE, s.ready.c_str()));
    Marlin::KernelHandle done(OpenEventW(EVENT_MODIFY_STATE, FALSE, s.done.c_str()));
    if (ready && WaitForSingleObject(ready.get(), INFINITE) == WAIT_OBJECT_0) {
        Marlin::FileHandle pipe(CreateFileW(s.pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            0, nullptr));
        if (pipe) {
            const uint8_t request[4] = {1, 0, 0, 0};
            DWORD count = 0;
            WriteFile(pipe.get(), request, 4, &count, nullptr);
            uint8_t reply[64];
            DWORD got = 0;
            s.repliedBytes = ReadFile(pipe.get(), reply, sizeof reply, &got, nullptr) ? static_cast<int>(got) : 0;
        }
    }
    SetEvent(done.get());
    return 0;
}

}  // namespace

TEST_CASE("a process other than the started copy tool that opens the pipe first gets no answer") {
    TempDir scratch;
    const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
    Stranger stranger;
    stranger.pipe = RunSluiceServer().PipeName();
    stranger.ready = L"quaytest-handoff-ready-" + suffix;
    stranger.done = L"quaytest-handoff-done-" + suffix;
    Marlin::KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, stranger.ready.c_str()));
    Marlin::KernelHandle done(CreateEventW(nullptr, TRUE, FALSE, stranger.done.c_str()));
    REQUIRE(ready && done);
    Marlin::KernelHandle thread = Marlin::StartThread(&StrangerBody, &stranger);
    REQUIRE(thread);

    // The client waits until the stranger has been turned away, then asks as usual.
    const std::vector<std::wstring> sources{L"C:\\a"};
    const std::wstring target = L"D:\\";
    const Conversation c = HandOff(
        ClientFile(), L"signal:" + stranger.ready + L" wait:" + stranger.done + L" open w:01000000 r", sources, target, 0);
    WaitForSingleObject(thread.get(), INFINITE);
    CHECK_EQ(stranger.repliedBytes.load(), 0);
    CHECK_EQ(c.result, 1);
    CHECK_EQ(Show(c.replies), Show({Hex(ReplyBytes::Version(1, 0, 0, 1))}));
}
