// The copy tool's start-up run in this process: a command-line job runs the progress
// dialog once with the process prepared for it (system kept awake, COM, the user's
// locale, the notice library loaded from the program's folder) and every preparation is
// undone before InitInstance returns FALSE; runs that have no job to show (no source, a
// hand-off or elevated pipe that cannot be used, a move with nothing to move) show no
// window and end the same way.
#include <windows.h>
#include <objbase.h>

#include <clocale>
#include <string>
#include <vector>

#include "CMarlinFileCopyApp.h"
#include "SampleTree.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::CMarlinFileCopyApp;
using quaytest::SampleTree;
using quaytest::TempDir;

namespace {

constexpr DWORD kAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;

// What the process looks like at a moment of the run.
struct ProcessState {
    DWORD executionState = 0;
    bool noticeLoaded = false;
    HRESULT comProbe = E_FAIL;  // S_FALSE: COM was already initialised on this thread
    std::wstring locale;
};

ProcessState Observe() {
    ProcessState s;
    // With ES_CONTINUOUS in force, a call without it only reports the state.
    s.executionState = SetThreadExecutionState(0);
    s.noticeLoaded = GetModuleHandleW(CMarlinFileCopyApp::kNoticeLibraryName) != nullptr;
    s.comProbe = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(s.comProbe)) CoUninitialize();
    const wchar_t* locale = _wsetlocale(LC_ALL, nullptr);
    s.locale = locale ? locale : L"";
    return s;
}

// Watches the windows this thread creates while start-up runs: the progress dialog is
// the top-level dialog with the template's title.
struct Watch {
    int progressDialogs = 0;
    ProcessState whenShown;
};
Watch* g_watch = nullptr;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_watch) {
        auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        wchar_t cls[64] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 64);
        if (std::wstring(cls) == L"#32770" && create->lpcs->lpszName &&
            !IS_INTRESOURCE(create->lpcs->lpszName) &&
            std::wstring(create->lpcs->lpszName) == L"Tidewell 高速ファイルコピー") {
            if (g_watch->progressDialogs++ == 0) g_watch->whenShown = Observe();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Outcome {
    BOOL returned = TRUE;
    Watch watch;
    ProcessState after;
    std::string noticeLog;
};

Outcome RunStartUp(const std::vector<std::wstring>& arguments, const TempDir& scratch) {
    const std::wstring log = scratch / L"notice.log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"QUAY_NOTICE_LOG", log.c_str());
    Outcome out;
    g_watch = &out.watch;
    HHOOK hook = SetWindowsHookExW(WH_CBT, &WatchCreation, nullptr, GetCurrentThreadId());
    {
        CMarlinFileCopyApp app;
        app.m_arguments = arguments;
        out.returned = app.InitInstance();
    }
    if (hook) UnhookWindowsHookEx(hook);
    g_watch = nullptr;
    out.after = Observe();
    out.noticeLog = quaytest::Exists(log) ? quaytest::ReadBytes(log) : std::string();
    SetEnvironmentVariableW(L"QUAY_NOTICE_LOG", nullptr);
    return out;
}

void CheckUndone(const Outcome& out) {
    CHECK_EQ(out.returned, FALSE);
    CHECK_EQ(out.after.executionState, DWORD{ES_CONTINUOUS});  // the request to stay awake is withdrawn
    CHECK(!out.after.noticeLoaded);
    CHECK_EQ(out.after.comProbe, S_OK);  // COM is no longer initialised on this thread
    // The library was loaded from the program's folder (this test's) and freed again.
    CHECK_EQ(out.noticeLog, std::string("load\nfree\n"));
}

}  // namespace

TEST_CASE("a command-line copy runs the progress dialog once in a prepared process") {
    TempDir scratch;
    SampleTree tree(scratch.path());
    std::vector<std::wstring> arguments = tree.Sources();
    arguments.push_back(tree.Destination());
    _wsetlocale(LC_ALL, L"C");

    const Outcome out = RunStartUp(arguments, scratch);
    CHECK_EQ(out.watch.progressDialogs, 1);
    CHECK_EQ(out.watch.whenShown.executionState, kAwake);
    CHECK(out.watch.whenShown.noticeLoaded);
    CHECK_EQ(out.watch.whenShown.comProbe, S_FALSE);
    CHECK(out.watch.whenShown.locale != L"C");  // the user's default
    CheckUndone(out);
    for (const auto& difference : tree.Differences(tree.Destination())) CHECK_EQ(difference, std::string());
    CHECK_EQ(tree.SourcesLeft().size(), tree.Sources().size());
}

TEST_CASE("a command-line move leaves the bytes in the destination and none in the sources") {
    TempDir scratch;
    SampleTree tree(scratch.path());
    std::vector<std::wstring> arguments{L"-M"};
    arguments.insert(arguments.end(), tree.Sources().begin(), tree.Sources().end());
    arguments.push_back(tree.Destination());

    const Outcome out = RunStartUp(arguments, scratch);
    CHECK_EQ(out.watch.progressDialogs, 1);
    CheckUndone(out);
    for (const auto& difference : tree.Differences(tree.Destination())) CHECK_EQ(difference, std::string());
    CHECK(tree.SourcesLeft().empty());
}

TEST_CASE("runs with nothing to show end quietly, without a window, preparations undone") {
    TempDir scratch;
    const std::wstring destination = scratch / L"dst";
    quaytest::MakeDir(destination + L"\\already");
    const struct {
        const char* what;
        std::vector<std::wstring> arguments;
    } rows[] = {
        {"no arguments", {}},
        {"a destination without sources", {destination}},
        {"the hand-off flag without a pipe name", {L"/fcp"}},
        {"a hand-off pipe that does not exist", {L"/FCP", L"\\\\.\\pipe\\quaytest-no-such-pipe"}},
        {"an elevated client's pipe that does not exist", {L"-p", L"\\\\.\\pipe\\quaytest-no-such-pipe"}},
        {"a move whose only source already lies in the destination", {L"/m", destination + L"\\already", destination}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        const Outcome out = RunStartUp(row.arguments, scratch);
        CHECK_EQ(out.watch.progressDialogs, 0);
        CheckUndone(out);
    }
    CHECK(quaytest::IsFolder(destination + L"\\already"));
}
