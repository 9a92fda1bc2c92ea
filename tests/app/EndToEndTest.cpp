// The real Quaysail.exe, started as its own process under Wine's null display driver, on
// a real tree: a copy, a move written with "-M", and a copy behind an unknown switch all
// leave exactly the sources' bytes in the destination; a run without sources creates
// nothing. Each run ends by itself with exit code 0.
#include <windows.h>

#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "SampleTree.h"
#include "TestFiles.h"
#include "TestHarness.h"

using quaytest::SampleTree;
using quaytest::TempDir;

namespace {

// The program as the build put it.
std::wstring ProgramPath() { return quaytest::LinuxPathOnZ(QUAYSAIL_EXE_PATH); }

std::wstring Quoted(const std::wstring& argument) { return L"\"" + argument + L"\""; }

// Runs the program with arguments and waits for it; its exit code, or -1 after 120 s.
long RunProgram(const std::vector<std::wstring>& arguments) {
    const std::wstring program = ProgramPath();
    std::wstring line = Quoted(program);
    for (const auto& a : arguments) line += L" " + Quoted(a);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        FAIL("cannot start " + quaytest::Utf8(program) + ": error " + std::to_string(GetLastError()));
    }
    Marlin::KernelHandle thread(info.hThread);
    Marlin::KernelHandle process(info.hProcess);
    return quaytest::WaitExit(process, 120000);
}

}  // namespace

TEST_CASE("copy, move and a copy behind an unknown switch leave the sources' bytes in the destination") {
    const struct {
        const char* what;
        std::vector<std::wstring> flags;
        bool move;
    } rows[] = {
        {"copy", {}, false},
        {"move", {L"-M"}, true},
        {"copy after an unknown switch", {L"/quiet"}, false},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        TempDir scratch;
        SampleTree tree(scratch.path());
        std::vector<std::wstring> arguments = row.flags;
        arguments.insert(arguments.end(), tree.Sources().begin(), tree.Sources().end());
        arguments.push_back(tree.Destination());
        CHECK_EQ(RunProgram(arguments), 0L);
        for (const auto& difference : tree.Differences(tree.Destination())) CHECK_EQ(difference, std::string());
        CHECK_EQ(tree.SourcesLeft().size(), row.move ? size_t{0} : tree.Sources().size());
    }
}

TEST_CASE("a run with a destination but no source ends at once and creates nothing") {
    TempDir scratch;
    const std::wstring destination = scratch / L"dst";
    quaytest::MakeDir(destination);
    const DWORD start = GetTickCount();
    CHECK_EQ(RunProgram({destination}), 0L);
    CHECK(GetTickCount() - start < 30000);
    CHECK(quaytest::ListNames(destination).empty());
}
