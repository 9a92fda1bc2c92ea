// Path operations that ask the file system or the shell: full and long names, the
// program's own path, shell display names and the names items take at the destination.
#include <windows.h>

#include "PathTestSupport.h"
#include "Paths.h"
#include "ShellFunctions.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace Marlin;
using pathtest::Show;
using pathtest::Upper;
using quaytest::MakeDir;
using quaytest::TempDir;
using quaytest::WriteBytes;

namespace {

std::wstring CurrentDirectory() {
    wchar_t buffer[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    return std::wstring(buffer, n);
}

void PrepareShell() {
    CoInitialize(nullptr);  // once per thread is enough; later calls only count up
    ResolveShellFunctions();
}

}  // namespace

TEST_CASE("GetFullPath resolves relative paths against the current folder") {
    TempDir dir;
    MakeDir(dir / L"sub");
    const std::wstring before = CurrentDirectory();
    REQUIRE(SetCurrentDirectoryW(dir.path().c_str()));
    struct Row {
        const wchar_t* path;
        std::wstring expected;
    } rows[] = {
        {L"a.txt", dir / L"a.txt"},
        // One character starts the buffer at two: it has to grow several times.
        {L"x", dir / L"x"},
        {L"sub\\..\\b", dir / L"b"},
        {L".\\sub\\", dir / L"sub\\"},
        {L"", L""},  // refused by the system; must not loop on an empty buffer
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        CHECK_EQ(GetFullPath(row.path), row.expected);
    }
    SetCurrentDirectoryW(before.c_str());

    // A long form beyond MAX_PATH, as the enumeration passes it, comes back whole.
    std::wstring deep = ToLongPath(dir / (std::wstring(200, L'x') + L"\\" + std::wstring(200, L'y') + L"\\f.txt"));
    CHECK_EQ(GetFullPath(deep), deep);
}

TEST_CASE("GetLongPath turns a short 8.3 name back into the long one") {
    TempDir dir;
    const std::wstring file = dir / L"longfilename.text";
    WriteBytes(file, "x");
    wchar_t shortName[MAX_PATH];
    DWORD n = GetShortPathNameW(file.c_str(), shortName, MAX_PATH);
    REQUIRE(n > 0 && n < MAX_PATH);
    if (std::wstring(shortName) == file) FAIL("the test prefix made no short name to expand");
    CHECK_EQ(GetLongPath(shortName), file);
    CHECK_EQ(GetLongPath(file), file);
    // A path that does not exist has no long form.
    CHECK_EQ(GetLongPath(dir / L"missing\\x.txt"), std::wstring());
}

TEST_CASE("GetModuleFilePath names this program, and GetModuleFolder its folder") {
    const std::wstring path = GetModuleFilePath();
    CHECK(PathEquals(GetFileNamePart(path), L"paths_operations.exe"));
    CHECK(quaytest::Exists(path));
    const std::wstring folder = GetModuleFolder();
    CHECK(quaytest::IsFolder(folder));
    CHECK_EQ(folder + L"\\" + GetFileNamePart(path), path);
}

TEST_CASE("an item copied into another folder keeps its name, whether or not that exists there") {
    TempDir source, other, otherDrive(L'D');
    WriteBytes(source / L"a.txt", "a");
    MakeDir(source / L"b.d");
    MakeDir(other / L"u");
    WriteBytes(other / L"u\\a.txt", "already there");
    struct Row {
        std::wstring source, destinationFolder, expected;
    } rows[] = {
        {source / L"a.txt", other / L"u", other / L"u\\a.txt"},
        {source / L"a.txt", other / L"u\\", other / L"u\\a.txt"},
        {source / L"a.txt", otherDrive.path(), otherDrive / L"a.txt"},
        {source / L"b.d", other.path(), other / L"b.d"},
        // Into a subfolder of its own folder is still another folder.
        {source / L"a.txt", source / L"b.d", source / L"b.d\\a.txt"},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.source) + " -> " + Show(row.destinationFolder));
        CHECK_EQ(MakeDestinationName(row.source, 1, row.destinationFolder), row.expected);
    }
}

TEST_CASE("a file copied into its own folder takes the first free \" - コピー\" name") {
    TempDir dir;
    WriteBytes(dir / L"a.txt", "a");
    WriteBytes(dir / L"noext", "n");
    WriteBytes(dir / L"c.d", "a file whose name looks like a folder's");
    const std::wstring a = dir / L"a.txt";

    CHECK_EQ(MakeDestinationName(a, 1, dir.path()), dir / L"a - コピー.txt");
    CHECK_EQ(MakeDestinationName(dir / L"noext", 1, dir.path()), dir / L"noext - コピー");
    CHECK_EQ(MakeDestinationName(dir / L"c.d", 2, dir.path()), dir / L"c - コピー.d");

    WriteBytes(dir / L"a - コピー.txt", "1");
    CHECK_EQ(MakeDestinationName(a, 1, dir.path()), dir / L"a - コピー (2).txt");
    WriteBytes(dir / L"a - コピー (2).txt", "2");
    CHECK_EQ(MakeDestinationName(a, 1, dir.path()), dir / L"a - コピー (3).txt");

    // The same folder written with a trailing backslash and in other letter case; the
    // result is spelt as the destination was given.
    const std::wstring shouted = Upper(dir.path()) + L"\\";
    CHECK_EQ(MakeDestinationName(a, 1, shouted), shouted + L"a - コピー (3).txt");
}

TEST_CASE("a folder copied into its own folder gets \" - コピー\" after its whole name") {
    TempDir dir;
    MakeDir(dir / L"b.d");
    const std::wstring b = dir / L"b.d";
    CHECK_EQ(MakeDestinationName(b, 1, dir.path()), dir / L"b.d - コピー");
    MakeDir(dir / L"b.d - コピー");
    CHECK_EQ(MakeDestinationName(b, 1, dir.path()), dir / L"b.d - コピー (2)");
    // Whatever holds the name blocks it, a file as well as a folder.
    WriteBytes(dir / L"b.d - コピー (2)", "a file");
    CHECK_EQ(MakeDestinationName(b, 1, dir.path()), dir / L"b.d - コピー (3)");
}

TEST_CASE("the shell display-name routes name real items and give nothing for unparsable ones") {
    PrepareShell();
    TempDir dir;
    WriteBytes(dir / L"f.txt", "f");
    CHECK_EQ(GetShellItemDisplayName(dir / L"f.txt", 0x80031001UL), std::wstring(L"f.txt"));
    CHECK(!GetShellFolderDisplayName(dir / L"f.txt", 0x1001UL).empty());
    CHECK(!GetShellItemDisplayName(L"C:\\", 0).empty());
    CHECK(!GetShellFolderDisplayName(L"C:\\", 0).empty());
    for (const wchar_t* odd : {L"1:\\", L"?:\\"}) {
        CONTEXT(Show(odd));
        CHECK_EQ(GetShellItemDisplayName(odd, 0), std::wstring());
        CHECK_EQ(GetShellFolderDisplayName(odd, 0), std::wstring());
    }
}

TEST_CASE("a drive root is named after the shell's name of the drive, cleaned for a file name") {
    PrepareShell();
    TempDir destination(L'D');
    // This prefix names an unlabelled drive " (C:)"; the colon goes, the leading space stays.
    struct Row {
        const wchar_t* root;
        size_t rootItemCount;
        const wchar_t* name;
    } rows[] = {
        {L"C:\\", 1, L" (C)"},
        {L"C:\\", 2, L" (C)"},
        {L"D:\\", 1, L" (D)"},
        {L"d:\\", 3, L" (D)"},
        // A root the shell cannot parse has no shell names at all.
        {L"1:\\", 1, L"Drive(1)"},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.root) + " of " + std::to_string(row.rootItemCount));
        CHECK_EQ(MakeDestinationName(row.root, row.rootItemCount, destination.path()),
                 destination / row.name);
    }
}

// A fresh process whose start-up has not resolved the shell's item function.
TEST_CHILD("unresolved-shell") {
    CoInitialize(nullptr);
    if (ShellCreateItemFromParsingName()) return 10;
    if (!GetShellItemDisplayName(L"C:\\", 0).empty()) return 11;
    // The desktop folder's route still names the drive.
    if (MakeDestinationName(L"C:\\", 1, L"D:\\x") != L"D:\\x\\ (C)") return 12;
    return 0;
}

TEST_CASE("without the shell's item function a drive root is named by the desktop folder") {
    CHECK_EQ(quaytest::WaitExit(quaytest::StartChild("unresolved-shell")), 0L);
}
