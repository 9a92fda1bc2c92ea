// The real Quaysail.exe with the real Beaconry.dll beside it, run on a real tree while a
// logging service stand-in runs for this test's own user: each job with sources is
// reported once, after the copy, with its Windows paths, its destination and its
// operation; a run without sources reports nothing; a service that is absent, late, or
// gone while the program waits never keeps the job from ending; and without the library
// the copy runs as usual.
#include <windows.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "BuildFiles.h"
#include "LoggingService.h"
#include "SampleTree.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestUser.h"
#include "TreeListing.h"

using quaytest::LoggingService;
using quaytest::ProgramFolder;
using quaytest::SampleTree;
using quaytest::TempDir;
using quaytest::TestUser;

namespace {

enum class Job { Copy, Move, DestinationOnly };

// Waits until the destination lists as expected (every entry there, every file at its
// full size) or the program has ended.
void AwaitCopied(const std::wstring& destination, const std::string& expected, HANDLE program) {
    Marlin::ChangeNotificationHandle watch(FindFirstChangeNotificationW(
        destination.c_str(), TRUE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE));
    if (!watch) FAIL("cannot watch the destination: error " + std::to_string(GetLastError()));
    while (quaytest::TreeListing(destination) != expected) {
        HANDLE handles[2] = {watch.get(), program};
        if (WaitForMultipleObjects(2, handles, FALSE, 120000) != WAIT_OBJECT_0) return;
        FindNextChangeNotification(watch.get());
    }
}

}  // namespace

TEST_CASE("each job is reported once after it ran, and never keeps the program from ending") {
    const struct {
        const char* what;
        Job job;
        bool library;
        bool service;
        LoggingService::Options options;
        size_t notices;
        const char* waitedFor;  // what the stand-in logged that the program had to wait for
    } rows[] = {
        {"a copy", Job::Copy, true, true, {}, 1, nullptr},
        {"a move", Job::Move, true, true, {}, 1, nullptr},
        {"a destination without sources: nothing is shown and nothing sent", Job::DestinationOnly, true, true, {}, 0,
         nullptr},
        {"no service running: the job ends after the copy", Job::Copy, true, false, {}, 0, nullptr},
        {"a service whose pipe opens 2 s after the copy: the notice comes once it is there", Job::Copy, true, true,
         {2000, 0, false, true}, 1, "pipe"},
        {"a service that lets its mutex go 2 s after the copy: given up, nothing sent", Job::Copy, true, true,
         {0, 2000, true, true}, 0, "mutex-dropped"},
        {"no Beaconry.dll beside the program: the copy runs as usual", Job::Copy, false, true, {}, 0, nullptr},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        TestUser user;
        TempDir scratch;
        SampleTree tree(scratch.path());
        ProgramFolder program(scratch / L"program", row.library);
        std::unique_ptr<LoggingService> service;
        if (row.service) service = std::make_unique<LoggingService>(scratch / L"record", row.options);

        std::vector<std::wstring> arguments;
        if (row.job == Job::Move) arguments.push_back(L"/m");
        if (row.job != Job::DestinationOnly)
            arguments.insert(arguments.end(), tree.Sources().begin(), tree.Sources().end());
        arguments.push_back(tree.Destination());
        // The stand-ins that come late or go count their 2 s from the end of the copy, so
        // the program is waiting for them by then.
        const std::string copied = quaytest::TreeListing(scratch / L"src");
        const int64_t before = _time64(nullptr);
        Marlin::KernelHandle process = program.Start(arguments);
        if (row.options.fromGo) {
            AwaitCopied(tree.Destination(), copied, process.get());
            service->Go();
        }
        CHECK_EQ(quaytest::WaitExit(process, 120000), 0L);
        const int64_t after = _time64(nullptr);
        const long long ended = static_cast<long long>(GetTickCount64());

        if (row.job == Job::DestinationOnly) {
            CHECK(quaytest::ListNames(tree.Destination()).empty());
        } else {
            for (const auto& difference : tree.Differences(tree.Destination())) CHECK_EQ(difference, std::string());
            CHECK_EQ(tree.SourcesLeft().size(), row.job == Job::Move ? size_t{0} : tree.Sources().size());
        }
        if (!service) continue;

        const auto notices = service->Finish();
        const bool counted = CHECK_EQ(notices.size(), row.notices);
        if (row.waitedFor) {
            const long long waitedFor = service->LoggedAt(row.waitedFor);
            CHECK(waitedFor >= 0);
            CHECK(ended >= waitedFor);
        }
        if (counted && row.notices == 1)
            quaytest::CheckJobNotice(notices[0], tree.Sources(), tree.Destination(), row.job == Job::Move ? 1 : 0,
                                     before, after);
    }
}
