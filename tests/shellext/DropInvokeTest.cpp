// Choosing an entry: InvokeCommand hands the drop to the program beside Quaydrop.dll and
// returns once that program has closed the pipe. With the real Quaysail.exe there, the
// dropped files are copied or moved for real and compared byte for byte; with the tests'
// hand-off client there instead, the job as the handler hands it over is compared exactly
// (drop order, long paths, a second Initialize). A string verb, offset 2 and no
// information start nothing.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "BuildFiles.h"
#include "DropHost.h"
#include "HandOffRecorder.h"
#include "TestFiles.h"
#include "TestHarness.h"

using droptest::Handler;
using droptest::HandOffRecorder;
using quaytest::TempDir;

namespace {

void Copy(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        FAIL("cannot copy " + quaytest::Utf8(from) + ": error " + std::to_string(GetLastError()));
}

// The Quaysail.exe that this process started, if it still runs.
Marlin::KernelHandle RunningChild() {
    Marlin::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) FAIL("no process snapshot: error " + std::to_string(GetLastError()));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() && _wcsicmp(entry.szExeFile, L"Quaysail.exe") == 0)
            return Marlin::KernelHandle(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
    }
    return Marlin::KernelHandle();
}

// Waits for the copy tool started by the drop, when it has not ended already.
void WaitForCopyTool() {
    Marlin::KernelHandle child = RunningChild();
    if (child && WaitForSingleObject(child.get(), INFINITE) != WAIT_OBJECT_0) FAIL("cannot wait for Quaysail.exe");
}

const char* Offset(UINT offset) { return MAKEINTRESOURCEA(offset); }

}  // namespace

TEST_CASE("the copy entry copies and the move entry moves the dropped files, with the real Quaysail.exe") {
    for (const bool move : {false, true}) {
        CONTEXT(move ? "move" : "copy");
        TempDir c(L'C');
        TempDir d(L'D');
        const std::wstring program = c / L"program";
        const std::wstring target = c / L"target";
        quaytest::MakeDir(program);
        quaytest::MakeDir(target);
        Copy(quaytest::QuaysailFile(), program + L"\\Quaysail.exe");
        Copy(quaytest::BuildFile(QUAYTEST_QUAYDROP_DLL), program + L"\\Quaydrop.dll");
        const struct {
            const wchar_t* name;
            size_t size;
        } files[] = {{L"写真.jpg", 300000}, {L"empty.txt", 0}, {L"b.bin", 65537}};
        std::vector<std::wstring> sources;
        std::vector<std::string> contents;
        uint32_t seed = 7;
        for (const auto& file : files) {
            sources.push_back(d / file.name);
            contents.push_back(quaytest::PatternBytes(file.size, seed++));
            quaytest::WriteBytes(sources.back(), contents.back());
        }

        droptest::HandlerModule module(program + L"\\Quaydrop.dll");
        Handler handler(module);
        handler.Drop(sources, target);
        CHECK_EQ(handler.Invoke(Offset(move ? 1 : 0)), S_OK);
        WaitForCopyTool();

        for (size_t i = 0; i < sources.size(); ++i) {
            CONTEXT(quaytest::Utf8(files[i].name));
            const std::wstring copied = target + L"\\" + files[i].name;
            REQUIRE(quaytest::Exists(copied));
            CHECK(quaytest::ReadBytes(copied) == contents[i]);
            CHECK_EQ(quaytest::Exists(sources[i]), !move);
        }
        CHECK_EQ(quaytest::ListNames(target).size(), sources.size());
    }
}


TEST_CASE("the handler hands over the drop exactly: drop order, long paths, the last Initialize") {
    HandOffRecorder recorder(L"open w:02000000 r w:03000000 r w:04000000 r");
    const std::wstring deep = recorder.c / (std::wstring(120, L'a') + L"\\" + std::wstring(120, L'b') + L"\\深い");
    const std::wstring shallow = recorder.c / L"src";
    const std::wstring target = recorder.c / L"target";
    for (const auto& folder : {deep, shallow, target}) quaytest::MakeDir(folder);
    const std::vector<std::wstring> three{shallow + L"\\c.txt", shallow + L"\\a.txt", shallow + L"\\b.txt"};
    const std::vector<std::wstring> longOnes{deep + L"\\" + std::wstring(40, L'x') + L".txt", deep + L"\\y.txt"};
    for (const auto& file : three) quaytest::WriteBytes(file, "x");
    for (const auto& file : longOnes) quaytest::WriteBytes(file, "x");
    REQUIRE(longOnes[0].size() > MAX_PATH);

    droptest::HandlerModule module(recorder.program + L"\\Quaydrop.dll");
    const struct {
        const char* what;
        std::vector<std::wstring> first;  // an earlier Initialize, when not empty
        std::vector<std::wstring> sources;
        UINT offset;
    } rows[] = {
        {"three files in the order dropped, a copy", {}, three, 0},
        {"paths beyond MAX_PATH, a move", {}, longOnes, 1},
        {"a second Initialize replaces the first", longOnes, three, 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        DeleteFileW(recorder.record.c_str());
        Handler handler(module);
        if (!row.first.empty()) handler.Drop(row.first, shallow);
        handler.Drop(row.sources, target);
        CHECK_EQ(handler.Invoke(Offset(row.offset)), S_OK);
        // The client wrote its record before it closed the pipe, so it is whole now.
        CHECK_EQ(recorder.Recorded(), HandOffRecorder::Expected(row.sources, target, static_cast<int32_t>(row.offset)));
    }
}

TEST_CASE("a string verb, an offset past the entries and no information start nothing") {
    HandOffRecorder recorder(L"open w:01000000 r");
    const std::wstring target = recorder.c / L"target";
    quaytest::MakeDir(target);
    const std::wstring source = recorder.c / L"a.txt";
    quaytest::WriteBytes(source, "a");

    droptest::HandlerModule module(recorder.program + L"\\Quaydrop.dll");
    Handler handler(module);
    handler.Drop({source}, target);
    const struct {
        const char* what;
        const char* verb;
        HRESULT result;
    } rows[] = {
        {"the string verb \"copy\"", "copy", E_INVALIDARG},
        {"offset 2", Offset(2), S_OK},
        {"offset 100, the first command ID itself", Offset(100), S_OK},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(handler.Invoke(row.verb), row.result);
        CHECK(!quaytest::Exists(recorder.record));
    }
    CHECK_EQ(handler.menu->InvokeCommand(nullptr), E_INVALIDARG);
    // The same handler does hand over with offset 0, so the quiet rows above mean something.
    CHECK_EQ(handler.Invoke(Offset(0)), S_OK);
    CHECK(quaytest::Exists(recorder.record));
    char name[8] = {};
    CHECK_EQ(handler.menu->GetCommandString(0, GCS_VERBA, nullptr, name, 8), E_NOTIMPL);
}
