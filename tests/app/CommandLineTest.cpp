// The copy tool's command line: flags with "-" or "/" in any case, the pipe name after
// "p" or "fcp" (even as the last argument), the last plain argument as the destination,
// the others as sources in order, and unknown flags ignored; and the splitting of the
// process's command line into those arguments.
#include <windows.h>

#include <string>
#include <vector>

#include "CWinApp.h"
#include "MarlinFileCopyCommandLineInfo.h"
#include "TestHarness.h"

using Marlin::CCommandLineInfo;
using Marlin::CWinApp;
using Marlin::MarlinFileCopyCommandLineInfo;

namespace {

using Args = std::vector<std::wstring>;

MarlinFileCopyCommandLineInfo Parse(const Args& args) {
    MarlinFileCopyCommandLineInfo info;
    CWinApp::ParseArguments(args, info);
    return info;
}

std::string Show(const Args& args) {
    std::string out;
    for (const auto& a : args) out += (out.empty() ? "" : " ") + quaytest::Utf8(a);
    return "[" + out + "]";
}

}  // namespace

TEST_CASE("the command line becomes a run mode and a job") {
    const struct {
        Args args;
        int32_t mode;
        std::wstring pipe;
        Args sources;
        std::wstring destination;
        int32_t move;
        int32_t expectPipe;
    } rows[] = {
        // copy and move from the command line
        {{L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 0, 0},
        {{L"C:\\a", L"C:\\x y\\b", L"D:\\dest"}, 0, L"", {L"C:\\a", L"C:\\x y\\b"}, L"D:\\dest", 0, 0},
        {{L"/m", L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 1, 0},
        {{L"-m", L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 1, 0},
        {{L"/M", L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 1, 0},
        {{L"-M", L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 1, 0},
        {{L"C:\\a", L"/m", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 1, 0},  // a flag anywhere
        // a single plain argument is a destination without sources
        {{L"D:\\b"}, 0, L"", {}, L"D:\\b", 0, 0},
        {{}, 0, L"", {}, L"", 0, 0},
        {{L"/m"}, 0, L"", {}, L"", 1, 0},
        // unknown flags, and flags that only begin like known ones, are ignored
        {{L"/x", L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 0, 0},
        {{L"/move", L"-pp", L"/fc", L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 0, 0},
        {{L"/", L"-", L"C:\\a", L"D:\\b"}, 0, L"", {L"C:\\a"}, L"D:\\b", 0, 0},
        // the shell hand-off
        {{L"/FCP", L"\\\\.\\pipe\\handoff-1-2"}, 1, L"\\\\.\\pipe\\handoff-1-2", {}, L"", 0, 0},
        {{L"-fcp", L"name"}, 1, L"name", {}, L"", 0, 0},
        {{L"/Fcp", L"name"}, 1, L"name", {}, L"", 0, 0},
        {{L"/fcp"}, 1, L"", {}, L"", 0, 1},  // no name: the pipe cannot be opened later
        // the elevated client
        {{L"/p", L"\\\\.\\pipe\\elevate-7"}, 2, L"\\\\.\\pipe\\elevate-7", {}, L"", 0, 0},
        {{L"-P", L"name"}, 2, L"name", {}, L"", 0, 0},
        // after the pipe name, plain arguments are sources and destination again
        {{L"/p", L"name", L"C:\\a", L"D:\\b"}, 2, L"name", {L"C:\\a"}, L"D:\\b", 0, 0},
        // the last "p" or "fcp" decides, and its name replaces the first
        {{L"/p", L"first", L"/fcp", L"second"}, 1, L"second", {}, L"", 0, 0},
        {{L"/fcp", L"first", L"-p", L"second"}, 2, L"second", {}, L"", 0, 0},
        // a flag between "p" and its name does not take the name's place
        {{L"/p", L"/m", L"name", L"D:\\b"}, 2, L"name", {}, L"D:\\b", 1, 0},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.args));
        const MarlinFileCopyCommandLineInfo info = Parse(row.args);
        CHECK_EQ(info.m_nRunMode, row.mode);
        CHECK_EQ(info.m_strPipeName, row.pipe);
        CHECK(info.m_sources == row.sources);
        CHECK_EQ(info.m_strDestination, row.destination);
        CHECK_EQ(info.m_bMove, row.move);
        CHECK_EQ(info.m_bExpectPipeName, row.expectPipe);
    }
}

TEST_CASE("the framework hands every argument over, flags without their first character, the last one marked") {
    struct Recorder : CCommandLineInfo {
        std::vector<std::wstring> params;
        std::vector<bool> flags, lasts;
        void ParseParam(const wchar_t* param, BOOL flag, BOOL last) override {
            params.emplace_back(param);
            flags.push_back(flag != FALSE);
            lasts.push_back(last != FALSE);
        }
    } recorder;
    CWinApp::ParseArguments({L"/FCP", L"-x", L"plain", L"//double", L"D:\\b"}, recorder);
    CHECK(recorder.params == (std::vector<std::wstring>{L"FCP", L"x", L"plain", L"/double", L"D:\\b"}));
    CHECK(recorder.flags == (std::vector<bool>{true, true, false, true, false}));
    CHECK(recorder.lasts == (std::vector<bool>{false, false, false, false, true}));
}

TEST_CASE("the process's command line is split as the system splits it, without the program name") {
    const struct {
        const wchar_t* line;
        Args args;
    } rows[] = {
        {L"\"C:\\Program Files\\Quaysail.exe\" /m \"C:\\my files\\a\" D:\\b",
         {L"/m", L"C:\\my files\\a", L"D:\\b"}},
        {L"Quaysail.exe /FCP \\\\.\\pipe\\{B7EA0F4A-3790-484d-BBE8-4284D7370C19}-10-20",
         {L"/FCP", L"\\\\.\\pipe\\{B7EA0F4A-3790-484d-BBE8-4284D7370C19}-10-20"}},
        {L"Quaysail.exe", {}},
        {L"", {}},
        {L"Quaysail.exe \"C:\\日本語\\フォルダー\" D:\\", {L"C:\\日本語\\フォルダー", L"D:\\"}},
    };
    for (const auto& row : rows) {
        CONTEXT(quaytest::Utf8(std::wstring(row.line)));
        CHECK(CWinApp::SplitCommandLine(row.line) == row.args);
    }
}
