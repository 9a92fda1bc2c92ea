// Run mode 1 end to end: a hand-off server of the tests creates the pipe and starts the
// real Quaysail.exe (with the real Beaconry.dll beside it) with "/FCP" and the pipe's
// name, as the shell extension does, and answers its four requests; a logging service
// stand-in runs for this test's own user. The job received runs exactly as a
// command-line job: a copy or a move of a real tree, compared byte for byte, begun only
// after the pipe was closed, and reported with the received job. A conversation that
// fails anywhere runs nothing and reports nothing.
#include <windows.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "BuildFiles.h"
#include "HandOffServer.h"
#include "LoggingService.h"
#include "SampleTree.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestUser.h"
#include "TreeListing.h"

using handofftest::HandOffServer;
using quaytest::LoggingService;
using quaytest::ProgramFolder;
using quaytest::SampleTree;
using quaytest::TempDir;
using quaytest::TestUser;

namespace {

const std::vector<int32_t> kAllFour{1, 2, 3, 4};

}  // namespace

TEST_CASE("the job handed over the pipe runs as a command-line job, after the pipe is closed") {
    const struct {
        const char* what;
        std::function<void(HandOffServer::Script&)> script;
        std::vector<int32_t> commands;  // the requests the copy tool makes
        bool runs;                      // the job is copied (or moved) and reported
    } rows[] = {
        {"a copy", [](HandOffServer::Script&) {}, kAllFour, true},
        {"operation 1: a move", [](HandOffServer::Script& s) { s.operation = 1; }, kAllFour, true},
        {"count 0: nothing runs, and the notice calls report nothing",
         [](HandOffServer::Script& s) { s.sources.clear(); }, kAllFour, false},
        {"one extra byte after the last source: nothing runs",
         [](HandOffServer::Script& s) {
             s.spoil = [](int32_t command, std::vector<uint8_t>& reply) {
                 if (command == 2) reply.push_back(0);
             };
         },
         {1, 2}, false},
        {"the last length cut to 2 bytes: nothing runs",
         [](HandOffServer::Script& s) {
             const size_t lastUnits = s.sources.back().size() * 2;
             s.spoil = [lastUnits](int32_t command, std::vector<uint8_t>& reply) {
                 if (command == 2) reply.resize(reply.size() - lastUnits - 2);
             };
         },
         {1, 2}, false},
        {"version 1, 0, 0, 2: nothing runs", [](HandOffServer::Script& s) { s.version[3] = 2; }, {1}, false},
        {"operation 2, neither copy nor move: nothing runs", [](HandOffServer::Script& s) { s.operation = 2; },
         kAllFour, false},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        TestUser user;
        TempDir scratch;
        SampleTree tree(scratch.path());
        ProgramFolder program(scratch / L"program", true);
        LoggingService service(scratch / L"record");

        HandOffServer::Script script;
        script.sources = tree.Sources();
        script.destination = tree.Destination();
        row.script(script);
        const bool move = script.operation == 1;
        HandOffServer server(script);
        Marlin::KernelHandle process;
        const int64_t before = _time64(nullptr);
        const HandOffServer::Conversation conversation = server.HandOff(
            [&](const std::wstring& parameters) { return program.StartWithParameters(parameters); },
            tree.Destination(), process);
        CHECK_EQ(quaytest::WaitExit(process, 120000), 0L);
        const int64_t after = _time64(nullptr);

        CHECK(conversation.commands == row.commands);
        CHECK(!conversation.changedWhileOpen);  // nothing reached the destination before the pipe was closed
        if (row.runs) {
            CHECK(server.DestinationChangedSince());  // and the watch does see a copy
            for (const auto& difference : tree.Differences(tree.Destination())) CHECK_EQ(difference, std::string());
            CHECK_EQ(tree.SourcesLeft().size(), move ? size_t{0} : tree.Sources().size());
        } else {
            CHECK(quaytest::ListNames(tree.Destination()).empty());
            CHECK_EQ(tree.SourcesLeft().size(), tree.Sources().size());
        }

        const auto notices = service.Finish();
        if (CHECK_EQ(notices.size(), size_t{row.runs ? 1u : 0u}) && row.runs)
            quaytest::CheckJobNotice(notices[0], tree.Sources(), tree.Destination(), move ? 1 : 0, before, after);
    }
}

TEST_CASE("a hand-off pipe that does not exist ends the run quietly") {
    TestUser user;
    TempDir scratch;
    ProgramFolder program(scratch / L"program", true);
    LoggingService service(scratch / L"record");
    // The shell extension's pipe name for a thread that has no pipe.
    const std::wstring missing = L"\\\\.\\pipe\\{B7EA0F4A-3790-484d-BBE8-4284D7370C19}-0-0";
    CHECK_EQ(quaytest::WaitExit(program.StartWithParameters(L"/FCP " + missing), 120000), 0L);
    CHECK(service.Finish().empty());
}
