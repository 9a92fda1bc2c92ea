// The copy tool's wrapper of the notice library, in this process: it finds the real
// Beaconry.dll among the loaded modules (never loads it), reports a job with sources at
// most once whichever way it ends, and does nothing without the library.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "BuildFiles.h"
#include "LoggingService.h"
#include "MarlinFileCopyBeaconry.h"
#include "NoticeMessage.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestUser.h"

using Marlin::MarlinFileCopyBeaconry;
using Marlin::NoticeMessage;
using quaytest::LoggingService;
using quaytest::TempDir;
using quaytest::TestUser;

namespace {

const std::vector<std::wstring> kSources{L"C:\\資料\\a.txt", L"C:\\b"};
const std::wstring kDestination = L"D:\\dst";

}  // namespace

TEST_CASE("with the library loaded, a job with sources is reported once whichever way the wrapper ends") {
    const struct {
        const char* what;
        std::function<void(MarlinFileCopyBeaconry&)> run;
        size_t notices;
    } rows[] = {
        {"start, end", [](MarlinFileCopyBeaconry& w) {
             w.NotifyStart(kSources, kDestination, 1);
             CHECK(w.HoldsNotice());
             w.NotifyEnd();
             CHECK(!w.HoldsNotice());
         }, 1},
        {"start, end, end again, then the destructor", [](MarlinFileCopyBeaconry& w) {
             w.NotifyStart(kSources, kDestination, 1);
             w.NotifyEnd();
             w.NotifyEnd();
         }, 1},
        {"start, then only the destructor", [](MarlinFileCopyBeaconry& w) { w.NotifyStart(kSources, kDestination, 1); },
         1},
        {"no sources: no notice is held, nothing is sent", [](MarlinFileCopyBeaconry& w) {
             w.NotifyStart({}, kDestination, 1);
             CHECK(!w.HoldsNotice());
             w.NotifyEnd();
         }, 0},
    };
    Marlin::ModuleHandle library(LoadLibraryW(quaytest::NoticeLibraryFile().c_str()));
    REQUIRE(library.valid());
    for (const auto& row : rows) {
        CONTEXT(row.what);
        TestUser user;
        TempDir scratch;
        LoggingService service(scratch / L"record");
        {
            MarlinFileCopyBeaconry wrapper;
            CHECK(wrapper.HasLibrary());
            row.run(wrapper);
        }
        const auto notices = service.Finish();
        REQUIRE_EQ(notices.size(), row.notices);
        if (row.notices == 0) continue;
        const NoticeMessage message = notices[0].Message();
        CHECK(message.sources == kSources);
        CHECK_EQ(message.destination, kDestination);
        CHECK_EQ(message.operation, int32_t{1});
    }
}

TEST_CASE("without the library loaded the wrapper does nothing") {
    REQUIRE(GetModuleHandleW(MarlinFileCopyBeaconry::kLibraryName) == nullptr);
    TestUser user;
    TempDir scratch;
    LoggingService service(scratch / L"record");
    {
        MarlinFileCopyBeaconry wrapper;
        CHECK(!wrapper.HasLibrary());
        wrapper.NotifyStart(kSources, kDestination, 0);
        CHECK(!wrapper.HoldsNotice());
        wrapper.NotifyEnd();
    }
    CHECK(GetModuleHandleW(MarlinFileCopyBeaconry::kLibraryName) == nullptr);  // it did not load it either
    CHECK(service.Finish().empty());
}
