// The directory search the walk is built on: one entry in hand and one looked up ahead,
// entry paths made from the searched folder's text, and the platform's error kept when
// nothing is found.
#include <windows.h>

#include "CFindEx.h"
#include "EnumerationChecks.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::Sluice::CFindEx;
using quaytest::TempDir;

TEST_CASE("a search that finds nothing fails with the platform's reason") {
    TempDir dir;
    struct Row {
        const char* what;
        std::wstring pattern;
        DWORD error;
    } rows[] = {
        {"empty pattern", L"", ERROR_BAD_ARGUMENTS},
        {"missing entry in an existing folder", dir / L"nothing.txt", ERROR_FILE_NOT_FOUND},
        {"missing folder", dir / L"nothing\\*", ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CFindEx find;
        SetLastError(0);
        CHECK(!find.FindFile(row.pattern));
        CHECK_EQ(GetLastError(), row.error);
        CHECK(!find.FindNextFile());
        CHECK_EQ(find.GetFilePath(), std::wstring());
    }
}

TEST_CASE("each step makes the looked-up entry current and says whether another one follows") {
    TempDir dir;
    enumtest::MakeFixture(dir / L"f", {{L"one.txt", "1"}, {L"two\\", ""}});
    CFindEx find;
    REQUIRE(find.FindFile(dir / L"f\\*"));
    CHECK_EQ(find.GetRoot(), dir.path() + L"\\f\\");

    std::vector<std::wstring> seen;
    bool more = true;
    while (more) {
        more = find.FindNextFile();
        seen.push_back(find.GetFileName());
    }
    // The search's own entries for the folder and its parent come first on both NTFS and Wine.
    const std::vector<std::wstring> expected = {L".", L"..", L"one.txt", L"two"};
    CHECK(seen == expected);
    // After the last step the last entry is still at hand.
    CHECK_EQ(find.GetFileName(), std::wstring(L"two"));
    CHECK_EQ(find.GetFilePath(), dir / L"f\\two");
    CHECK(find.IsDirectory());
    CHECK(!find.IsDots());
    CHECK(!find.FindNextFile());
    CHECK_EQ(find.GetFileName(), std::wstring(L"two"));
}

TEST_CASE("an entry searched by its own path is found with its parent as the root, also relatively") {
    TempDir dir;
    quaytest::WriteBytes(dir / L"entry.dat", "12345");
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    REQUIRE(SetCurrentDirectoryW(dir.path().c_str()));
    for (const std::wstring& pattern : {dir / L"entry.dat", std::wstring(L"entry.dat"), L"\\\\?\\" + dir.path() + L"\\entry.dat"}) {
        CONTEXT(quaytest::Utf8(pattern));
        CFindEx find;
        REQUIRE(find.FindFile(pattern));
        CHECK(!find.FindNextFile());
        CHECK_EQ(find.GetFilePath(), dir / L"entry.dat");
        CHECK_EQ(find.GetSize(), int64_t{5});
        CHECK(!find.IsDirectory());
    }
    SetCurrentDirectoryW(old);
}

TEST_CASE("a new search forgets the previous one") {
    TempDir dir;
    enumtest::MakeFixture(dir.path(), {{L"a\\", ""}, {L"a\\x.txt", "x"}, {L"b\\", ""}, {L"b\\y.txt", "y"}});
    CFindEx find;
    REQUIRE(find.FindFile(dir / L"a\\x.txt"));
    find.FindNextFile();
    REQUIRE(find.FindFile(dir / L"b\\y.txt"));
    CHECK(!find.FindNextFile());
    CHECK_EQ(find.GetFilePath(), dir / L"b\\y.txt");
    CHECK(!find.FindFile(dir / L"b\\none"));
    CHECK_EQ(find.GetFilePath(), std::wstring());
}
