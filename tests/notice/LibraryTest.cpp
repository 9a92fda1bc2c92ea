// The real Beaconry.dll, loaded into this process and called through its exports, against
// the logging service stand-in of this test's own user (TestUser): what the end call
// sends, when it waits and when it gives up.
#include <windows.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "BeaconryExports.h"
#include "BuildFiles.h"
#include "CTallyhallCommandClient.h"
#include "HexBytes.h"
#include "LoggingService.h"
#include "NoticeExample.h"
#include "NoticeMessage.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestUser.h"

using Marlin::CTallyhallCommandClient;
using Marlin::NoticeMessage;
using noticetest::kMoveExample;
using quaytest::LoggingService;
using quaytest::TempDir;
using quaytest::TestUser;

namespace {

class Library {
public:
    Library() : module_(LoadLibraryW(quaytest::NoticeLibraryFile().c_str())) {
        if (!module_) FAIL("cannot load Beaconry.dll: error " + std::to_string(GetLastError()));
        // The names as the copy tool asks for them, undecorated.
        start = reinterpret_cast<decltype(&BeaconryStart)>(GetProcAddress(module_.get(), "BeaconryStart"));
        end = reinterpret_cast<decltype(&BeaconryEnd)>(GetProcAddress(module_.get(), "BeaconryEnd"));
        if (!start || !end) FAIL("Beaconry.dll lacks an export");
    }
    decltype(&BeaconryStart) start = nullptr;
    decltype(&BeaconryEnd) end = nullptr;

private:
    Marlin::ModuleHandle module_;
};

void* StartMoveExample(const Library& library) {
    const wchar_t* paths[] = {L"C:\\a", L"C:\\b"};
    return library.start(paths, 2, L"D:\\", 1);
}

}  // namespace

TEST_CASE("the end call sends the job once, with the time of the start call") {
    Library library;
    TestUser user;
    TempDir scratch;
    LoggingService service(scratch / L"record");

    const int64_t before = _time64(nullptr);
    void* notice = StartMoveExample(library);
    const int64_t after = _time64(nullptr);
    REQUIRE(notice != nullptr);
    library.end(notice);
    library.end(notice);   // spent: ignored, not freed again
    library.end(nullptr);  // nothing

    const auto notices = service.Finish();
    REQUIRE_EQ(notices.size(), size_t{1});
    std::vector<uint8_t> bytes(notices[0].bytes.begin(), notices[0].bytes.end());
    REQUIRE(bytes.size() >= 8);
    const uint32_t sent = static_cast<uint32_t>(bytes[4]) | (static_cast<uint32_t>(bytes[5]) << 8) |
                          (static_cast<uint32_t>(bytes[6]) << 16) | (static_cast<uint32_t>(bytes[7]) << 24);
    CHECK(sent >= static_cast<uint32_t>(before));
    CHECK(sent <= static_cast<uint32_t>(after));
    // With the documented start time in place of the real one, the documented bytes.
    const uint8_t example[4] = {0x00, 0xF1, 0x53, 0x65};
    std::copy(example, example + 4, bytes.begin() + 4);
    CHECK_EQ(wiretest::Hex(bytes), wiretest::Hex(wiretest::FromHex(kMoveExample)));
}

TEST_CASE("the start call gives no notice for a job it cannot report, and the end call then sends nothing") {
    Library library;
    TestUser user;
    TempDir scratch;
    LoggingService service(scratch / L"record");
    const wchar_t* paths[] = {L"C:\\a"};
    CHECK(library.start(nullptr, 0, L"D:\\", 0) == nullptr);  // a command line with a destination only
    CHECK(library.start(paths, 0, L"D:\\", 0) == nullptr);
    CHECK(library.start(nullptr, 1, L"D:\\", 0) == nullptr);
    CHECK(library.start(paths, 1, nullptr, 0) == nullptr);
    int notOurs = 0;
    library.end(&notOurs);  // never handed out: ignored
    CHECK(service.Finish().empty());
}

TEST_CASE("the end call waits for the service only while it announces itself") {
    const struct {
        const char* what;
        bool service;
        LoggingService::Options options;
        size_t notices;
        const char* waitedFor;  // what the stand-in logged that the end call had to wait for
    } rows[] = {
        {"no service: nothing is sent and nothing is waited for", false, {}, 0, nullptr},
        {"a pipe opened 2 s after the call: sent once it is there", true, {2000, 0, false, true}, 1, "pipe"},
        {"the mutex dropped 2 s after the call and no pipe: given up, nothing sent", true, {0, 2000, true, true}, 0,
         "mutex-dropped"},
    };
    Library library;
    for (const auto& row : rows) {
        CONTEXT(row.what);
        TestUser user;
        TempDir scratch;
        std::unique_ptr<LoggingService> service;
        if (row.service) service = std::make_unique<LoggingService>(scratch / L"record", row.options);

        void* notice = StartMoveExample(library);
        if (service) service->Go();
        library.end(notice);
        const long long returned = static_cast<long long>(GetTickCount64());

        if (!service) continue;  // returned: it did not wait for a service that was never there
        const auto notices = service->Finish();
        CHECK_EQ(notices.size(), row.notices);
        const long long waitedFor = service->LoggedAt(row.waitedFor);
        CHECK(waitedFor >= 0);
        CHECK(returned >= waitedFor);  // the end call waited for it, however long it took
        if (row.notices == 1) CHECK(service->LoggedAt("message 1") >= service->LoggedAt("pipe"));
    }
}

TEST_CASE("the service's names carry the user name") {
    const std::string twenty = "abcdefghijklmnopqrst";
    const std::string pipe = CTallyhallCommandClient::NameFor(CTallyhallCommandClient::kPipeNameFormat, twenty);
    CHECK_EQ(pipe.size(), size_t{9 + 20 + 38});
    CHECK_EQ(pipe, "\\\\.\\pipe\\" + twenty + "{1F1D5CAF-06F2-44b3-9078-50CC6A1034F3}");
    CHECK_EQ(CTallyhallCommandClient::NameFor(CTallyhallCommandClient::kMutexNameFormat, twenty),
             "p-m" + twenty + "{1F1D5CAF-06F2-44b3-9078-50CC6A1034F3}");
    CHECK_EQ(CTallyhallCommandClient::NameFor(CTallyhallCommandClient::kPipeNameFormat, ""),
             std::string("\\\\.\\pipe\\{1F1D5CAF-06F2-44b3-9078-50CC6A1034F3}"));
    // A name that would not fit the 512-byte buffer makes no name rather than a cut one.
    CHECK(CTallyhallCommandClient::NameFor(CTallyhallCommandClient::kPipeNameFormat, std::string(470, 'x')).empty());

    TestUser user;
    CHECK_EQ(CTallyhallCommandClient::CurrentUserName(), user.Name());
}
