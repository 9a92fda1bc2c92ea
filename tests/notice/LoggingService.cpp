#include "LoggingService.h"

#include <sstream>

#include "BuildFiles.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TreeListing.h"

namespace quaytest {

namespace {

Marlin::KernelHandle NamedEvent(const std::string& name) {
    return Marlin::KernelHandle(CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
}

}  // namespace

LoggingService::LoggingService(const std::wstring& recordFolder, const Options& options) : record_(recordFolder) {
    static int made = 0;
    const std::string tag = "quaytest-logging-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made);
    const std::string readyName = tag + "-ready";
    stopName_ = tag + "-stop";
    Marlin::KernelHandle ready = NamedEvent(readyName);
    stop_ = NamedEvent(stopName_);
    if (!ready || !stop_) FAIL("cannot create the stand-in's events");
    MakeDir(record_);

    const std::wstring program = LoggingServiceFile();
    std::wstring line = L"\"" + program + L"\" \"" + record_ + L"\" " + Widen(readyName) + L" " + Widen(stopName_) +
                        L" " + std::to_wstring(GetCurrentProcessId());
    if (options.pipeAfterMs > 0) line += L" --pipe-after " + std::to_wstring(options.pipeAfterMs);
    if (options.dropMutex) line += L" --drop-mutex-after " + std::to_wstring(options.dropMutexAfterMs);
    if (options.fromGo) {
        const std::string goName = tag + "-go";
        go_ = NamedEvent(goName);
        if (!go_) FAIL("cannot create the stand-in's events");
        line += L" --from " + Widen(goName);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        FAIL("cannot start the logging service stand-in: error " + std::to_string(GetLastError()));
    Marlin::KernelHandle thread(info.hThread);
    process_.reset(info.hProcess);

    HANDLE handles[2] = {ready.get(), process_.get()};
    const DWORD r = WaitForMultipleObjects(2, handles, FALSE, 60000);
    if (r != WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        FAIL("the logging service stand-in did not start (exit code " + std::to_string(code) + ")");
    }
}

LoggingService::~LoggingService() {
    if (finished_) return;
    SetEvent(stop_.get());
    if (WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 97);
}

void LoggingService::Go() { SetEvent(go_.get()); }

std::vector<LoggingService::Notice> LoggingService::Finish() {
    finished_ = true;
    SetEvent(stop_.get());
    const long code = WaitExit(process_, 60000);
    if (code != 0) FAIL("the logging service stand-in ended with " + std::to_string(code));
    std::vector<Notice> notices;
    for (int n = 1;; ++n) {
        const std::wstring base = record_ + L"\\message-" + std::to_wstring(n);
        if (!Exists(base + L".bin")) break;
        Notice notice;
        notice.bytes = ReadBytes(base + L".bin");
        if (Exists(base + L".dest.txt")) notice.destinationListing = ReadBytes(base + L".dest.txt");
        notices.push_back(std::move(notice));
    }
    return notices;
}

std::string LoggingService::Log() const {
    const std::wstring path = record_ + L"\\log.txt";
    return Exists(path) ? ReadBytes(path) : std::string();
}

long long LoggingService::LoggedAt(const std::string& event) const {
    std::istringstream lines(Log());
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() > event.size() && line.compare(0, event.size(), event) == 0 && line[event.size()] == ' ')
            return std::stoll(line.substr(event.size() + 1));
    }
    return -1;
}

Marlin::NoticeMessage LoggingService::Notice::Message() const {
    Marlin::NoticeMessage message;
    if (!Marlin::NoticeMessage::Read(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), message))
        FAIL("the logging service received something that is no notice message");
    return message;
}

void CheckJobNotice(const LoggingService::Notice& notice, const std::vector<std::wstring>& sources,
                    const std::wstring& destination, int32_t operation, int64_t before, int64_t after) {
    const Marlin::NoticeMessage message = notice.Message();
    CHECK(message.sources == sources);
    CHECK_EQ(message.destination, destination);
    CHECK_EQ(message.operation, operation);
    CHECK(message.startTime >= static_cast<uint32_t>(before));
    CHECK(message.startTime <= static_cast<uint32_t>(after));
    CHECK_EQ(notice.destinationListing, TreeListing(destination));
}

}  // namespace quaytest
