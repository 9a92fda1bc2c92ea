// The real Quaykeep.exe under the service control manager of the test's Wine prefix:
// installed, started, asked over its pipe, stopped with a client connected, removed.
// And the copy tool's query, which waits for the pipe only while the service runs.
//
// A service lives only as long as the wineserver, but its registration stays in the
// prefix, so every test here installs and removes it within its own run and first
// removes whatever an earlier, interrupted run left behind.
#include <windows.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "UniqueHandle.h"
#include "ProtocolVersion.h"
#include "ServiceCommandClient.h"
#include "ServiceFixtures.h"
#include "ServiceProtocol.h"
#include "TestHarness.h"

using Marlin::DiskCacheSettingData;
using Marlin::ServiceProtocol;
using Marlin::Sluice::ServiceCommandClient;
using svctest::Hex;
using svctest::Le32;

namespace {

const wchar_t* const kServiceName = ServiceProtocol::ServiceName;

std::wstring ServiceProgramPath() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Quaykeep.exe";
}

SERVICE_STATUS_PROCESS QueryStatus(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                              &needed)) {
        status.dwCurrentState = 0;
    }
    return status;
}

// Polls until the service is in state; false when it is not there within the time.
bool WaitForState(SC_HANDLE service, DWORD state, DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (QueryStatus(service).dwCurrentState == state) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}

// Stops (if need be) and deletes the service; as a last resort ends its process.
void StopAndDelete(SC_HANDLE service, DWORD pid) {
    SERVICE_STATUS status{};
    if (QueryStatus(service).dwCurrentState != SERVICE_STOPPED) {
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        WaitForState(service, SERVICE_STOPPED, 15000);
    }
    if (pid != 0) {
        Marlin::KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
        if (process && WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 99);
    }
    DeleteService(service);
}

// Removes a registration left from an earlier run; true when none is left.
bool RemoveLeftover(SC_HANDLE scm) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        Marlin::ServiceHandle old(OpenServiceW(scm, kServiceName, SERVICE_ALL_ACCESS));
        if (!old) return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
        if (attempt == 0) StopAndDelete(old.get(), QueryStatus(old.get()).dwProcessId);
        old.reset();
        Sleep(50);
    }
    return false;
}

// The service installed for one test; stopped and deleted again when it goes, whatever
// happened in between.
class InstalledService {
public:
    explicit InstalledService(const std::wstring& program)
        : scm_(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
        if (!scm_) FAIL("no service control manager");
        if (!RemoveLeftover(scm_.get())) FAIL("an earlier Quaykeep service could not be removed");
        std::wstring binaryPath = L"\"" + program + L"\"";
        service_.reset(CreateServiceW(scm_.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                      SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                      binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        if (!service_) FAIL("CreateServiceW failed: " + std::to_string(GetLastError()));
    }
    ~InstalledService() {
        if (service_) StopAndDelete(service_.get(), pid_);
        service_.reset();
        RemoveLeftover(scm_.get());
    }

    SC_HANDLE Service() const { return service_.get(); }
    SC_HANDLE Manager() const { return scm_.get(); }
    void SetProcessId(DWORD pid) { pid_ = pid; }
    // Deletes it now and closes the handle, as sc delete does; true when it is gone.
    bool Delete() {
        BOOL deleted = DeleteService(service_.get());
        service_.reset();
        if (!deleted) return false;
        return RemoveLeftover(scm_.get());
    }

private:
    Marlin::ServiceHandle scm_;
    Marlin::ServiceHandle service_;
    DWORD pid_ = 0;
};

bool IsZero(const DiskCacheSettingData& record) {
    static const DiskCacheSettingData zero;
    return std::memcmp(&record.payload, &zero.payload, sizeof record.payload) == 0;
}

}  // namespace

// The copy tool's own client, counting its attempts to open the service's pipe and its
// waits for the pipe.
class CountingClient : public ServiceCommandClient {
public:
    int Open() override {
        ++opens;
        return ServiceCommandClient::Open();
    }
    int OpenWait(DWORD milliseconds) override {
        ++waits;
        return ServiceCommandClient::OpenWait(milliseconds);
    }
    int opens = 0;
    int waits = 0;
};

// Until the running service has created its pipe; false when it does not within the time.
bool WaitForPipe(DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    while (!WaitNamedPipeW(ServiceProtocol::PipeName, 100)) {
        if (GetTickCount64() >= end) return false;
        Sleep(10);
    }
    return true;
}

TEST_CASE("the destination query waits for the pipe only while the manager reports the service running") {
    const std::wstring program = ServiceProgramPath();
    REQUIRE(GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES);
    Marlin::ServiceHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    REQUIRE(scm);
    REQUIRE(RemoveLeftover(scm.get()));

    // One service through its life; each row first brings it to the state, then asks.
    std::unique_ptr<InstalledService> installed;
    // The service serves one client at a time: while this one is connected, the pipe is busy.
    std::unique_ptr<ServiceCommandClient> holder;
    struct Row {
        const char* what;
        std::function<void()> bringAbout;
        ServiceCommandClient::ServiceState state;
        int waits;
        int result;
    } rows[] = {
        {"not installed", [] {}, ServiceCommandClient::ServiceState::NotServing, 0, 0},
        {"installed, never started", [&] { installed = std::make_unique<InstalledService>(program); },
         ServiceCommandClient::ServiceState::NotServing, 0, 0},
        {"running, its pipe free",
         [&] {
             REQUIRE(StartServiceW(installed->Service(), 0, nullptr));
             REQUIRE(WaitForState(installed->Service(), SERVICE_RUNNING, 20000));
             installed->SetProcessId(QueryStatus(installed->Service()).dwProcessId);
             REQUIRE(WaitForPipe(20000));
         },
         ServiceCommandClient::ServiceState::MayServe, 0, 1},
        {"running, its pipe busy with another client for the whole wait",
         [&] {
             // The service makes its pipe anew after the previous row's client left.
             holder = std::make_unique<ServiceCommandClient>();
             REQUIRE_EQ(holder->OpenWait(20000), 1);
         },
         ServiceCommandClient::ServiceState::MayServe, 1, 0},
        {"stopped again",
         [&] {
             holder.reset();
             SERVICE_STATUS status{};
             ControlService(installed->Service(), SERVICE_CONTROL_STOP, &status);
             REQUIRE(WaitForState(installed->Service(), SERVICE_STOPPED, 15000));
         },
         ServiceCommandClient::ServiceState::NotServing, 0, 0},
        {"removed", [&] { REQUIRE(installed->Delete()); }, ServiceCommandClient::ServiceState::NotServing, 0, 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        row.bringAbout();
        CHECK(ServiceCommandClient::QueryServiceState(kServiceName) == row.state);
        CountingClient client;
        DiskCacheSettingData record;
        record.payload.cacheSettingValid = 7;  // the service's reply overwrites it; nothing else may
        CHECK_EQ(client.QueryDrive(L'C', record), row.result);
        CHECK_EQ(client.waits, row.waits);
        // The first attempt comes before any question to the manager; only a wait tries again.
        if (row.waits == 0) CHECK_EQ(client.opens, 1);
        if (row.waits == 1) CHECK(client.opens > 1);
        CHECK(!client.IsOpen());
        // Wine opens \\.\C: but fails all three controls, so the real service answers a
        // success with nothing valid; without the service the record is left alone.
        if (row.result == 1) {
            CHECK(IsZero(record));
        } else {
            CHECK_EQ(record.payload.cacheSettingValid, 7u);
        }
    }
}

TEST_CASE("the installed service answers over its pipe, stops with an idle client connected, and is removed") {
    const std::wstring program = ServiceProgramPath();
    REQUIRE(GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES);
    InstalledService installed(program);
    SC_HANDLE service = installed.Service();

    REQUIRE(StartServiceW(service, 0, nullptr));
    REQUIRE(WaitForState(service, SERVICE_RUNNING, 20000));
    SERVICE_STATUS_PROCESS running = QueryStatus(service);
    installed.SetProcessId(running.dwProcessId);
    CHECK(running.dwProcessId != 0);
    CHECK_EQ(running.dwControlsAccepted, DWORD{SERVICE_ACCEPT_STOP});
    CHECK_EQ(running.dwCheckPoint, DWORD{0});
    CHECK_EQ(running.dwWaitHint, DWORD{0});

    // Any control but stop is answered with the current status.
    SERVICE_STATUS interrogated{};
    CHECK(ControlService(service, SERVICE_CONTROL_INTERROGATE, &interrogated));
    CHECK_EQ(interrogated.dwCurrentState, DWORD{SERVICE_RUNNING});

    // The copy tool's own conversation; Wine opens \\.\C: but fails all three controls,
    // so the real reader answers a success with nothing valid.
    DiskCacheSettingData viaQuery;
    viaQuery.payload.cacheSettingValid = 7;  // the reply must overwrite it
    CHECK_EQ(ServiceCommandClient::QueryDestinationDrive(L'C', viaQuery), 1);
    CHECK(IsZero(viaQuery));

    ServiceCommandClient client;
    REQUIRE_EQ(client.OpenWait(5000), 1);
    std::array<uint8_t, 16> version{};
    CHECK_EQ(client.QueryVersion(version), 1);
    CHECK(version == Marlin::ProtocolVersion().Bytes());
    struct Row {
        const char* what;
        wchar_t letter;
    } drives[] = {{"the system drive", L'C'}, {"a letter with no volume", L'Q'}, {"a lower-case letter", L'c'}};
    for (const auto& row : drives) {
        CONTEXT(row.what);
        DiskCacheSettingData record;
        CHECK_EQ(client.QueryDiskCacheSetting(static_cast<uint16_t>(row.letter), record), 1);
        CHECK(IsZero(record));
    }
    // A request the service does not know, and the connection goes on.
    auto unknown = Le32(7);
    REQUIRE(client.Write(unknown.data(), 4));
    std::vector<uint8_t> reply;
    REQUIRE_EQ(client.Read(reply), 1);
    CHECK_EQ(Hex(reply), Hex(Le32(1)));
    CHECK_EQ(client.QueryVersion(version), 1);

    // Stop while the client is connected and idle: the server's pending read is cut
    // short, so the stop takes far less than the 10 s after which the thread would be
    // terminated.
    Marlin::KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, running.dwProcessId));
    CHECK(process.valid());
    ULONGLONG t0 = GetTickCount64();
    SERVICE_STATUS stopping{};
    const DWORD stopError = ControlService(service, SERVICE_CONTROL_STOP, &stopping) ? 0 : GetLastError();
    // The handler reports SERVICE_STOPPED as its last step, and with that the dispatcher
    // call returns and the process ends. Windows runs the handler on the dispatcher's own
    // thread, so the reply to the control is sent first; Wine runs it on a thread of its
    // own and may end the process before that thread has sent the reply, and the control
    // then fails with a broken pipe although the service did stop, as checked below.
    if (stopError != ERROR_BROKEN_PIPE) CHECK_EQ(stopError, DWORD{0});
    REQUIRE(WaitForState(service, SERVICE_STOPPED, 15000));
    ULONGLONG elapsed = GetTickCount64() - t0;
    CHECK(elapsed < 8000);
    SERVICE_STATUS_PROCESS stopped = QueryStatus(service);
    CHECK_EQ(stopped.dwWin32ExitCode, DWORD{0});
    CHECK_EQ(stopped.dwCheckPoint, DWORD{0});
    // With its only service stopped, the dispatcher returns and the process ends.
    if (process) CHECK_EQ(WaitForSingleObject(process.get(), 10000), DWORD{WAIT_OBJECT_0});
    // The client's pipe is broken.
    auto request = Marlin::ProtocolVersion::Request();
    bool sent = client.Write(request.data(), static_cast<uint32_t>(request.size())) != 0;
    CHECK(!(sent && client.Read(reply)));
    client.Close();

    CHECK(installed.Delete());
    Marlin::ServiceHandle gone(OpenServiceW(installed.Manager(), kServiceName, SERVICE_QUERY_STATUS));
    CHECK(!gone);
}

TEST_CASE("started as a plain program rather than by the service manager, it ends at once and serves nothing") {
    const std::wstring program = ServiceProgramPath();
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    REQUIRE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi));
    Marlin::KernelHandle process(pi.hProcess);
    Marlin::KernelHandle thread(pi.hThread);
    REQUIRE_EQ(WaitForSingleObject(process.get(), 15000), DWORD{WAIT_OBJECT_0});
    DWORD code = 99;
    GetExitCodeProcess(process.get(), &code);
    CHECK_EQ(code, DWORD{0});
    Marlin::FileHandle pipe(CreateFileW(ServiceProtocol::PipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    CHECK(!pipe.valid());
}
