// Sources as a user or a script may type them: relative, with a trailing backslash, with
// "." and "..", with 8.3 elements, in the "\\?\" form. Each must head its tree in one
// normalised form that every listed item extends, or the items would land in the wrong
// place (or nowhere) in the tree.
#include <windows.h>

#include "EnumerateSources.h"
#include "EnumerationChecks.h"
#include "Paths.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace enumtest;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::EnumerateSources;
using Marlin::NormalizeSourcePath;
using quaytest::TempDir;

namespace {

std::wstring ShortForm(const std::wstring& path) {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

// Keeps the process's current folder for the test and puts it back afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) {
        wchar_t old[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, old);
        old_ = old;
        REQUIRE(SetCurrentDirectoryW(folder.c_str()));
    }
    ~CurrentFolder() { SetCurrentDirectoryW(old_.c_str()); }

private:
    std::wstring old_;
};

}  // namespace

TEST_CASE("every spelling of a source heads its tree as the same full long path and lists the same items") {
    TempDir dir;
    const std::wstring src = dir / L"Long Source Folder";
    MakeFixture(src, {{L"Inner Long Folder\\", ""}, {L"Inner Long Folder\\file.txt", "abc"}, {L"top.txt", "t"}});
    const std::wstring shortSrc = ShortForm(src);
    REQUIRE(!shortSrc.empty());
    REQUIRE(shortSrc != src);  // Wine makes up 8.3 names for long ones

    const std::string picture = Lines({"Root", "  Folder \"\"", "    Folder \"Inner Long Folder\"",
                                       "      File \"file.txt\" 3", "    File \"top.txt\" 1"});
    CurrentFolder here(dir.path());
    struct Row {
        const char* what;
        std::wstring source;
    } rows[] = {
        {"as given", src},
        {"trailing backslash", src + L"\\"},
        {"relative", L"Long Source Folder"},
        {"relative below the current folder", L".\\Long Source Folder\\"},
        {"dot and dot-dot inside", src + L"\\Inner Long Folder\\..\\.\\"},
        {"forward slashes", dir.path() + L"/Long Source Folder"},
        {"8.3 elements", shortSrc},
        {"long path form", L"\\\\?\\" + src},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CopyItemsData items;
        REQUIRE(EnumerateSources({row.source}, dir / L"dest", false, items));
        REQUIRE_EQ(items.TreeCount(), size_t{1});
        CHECK_EQ(items.Tree(0).begin()->path, src);
        CHECK_EQ(Picture(items.Tree(0)), picture);
        CheckAgainstDisk(items.Tree(0));
    }
}

TEST_CASE("a file given relatively or by its 8.3 name heads its tree by its full long path") {
    TempDir dir;
    const std::wstring file = dir / L"a rather long file name.txt";
    quaytest::WriteBytes(file, "12");
    const std::wstring shortFile = ShortForm(file);
    REQUIRE(!shortFile.empty());
    CurrentFolder here(dir.path());
    for (const std::wstring& source : {std::wstring(L"a rather long file name.txt"), shortFile}) {
        CONTEXT(quaytest::Utf8(source));
        CopyItemsData items;
        REQUIRE(EnumerateSources({source}, dir / L"dest", true, items));
        CHECK_EQ(items.Tree(0).begin()->path, file);
        CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  File \"\" 2", "    DeleteFile \"\""}));
    }
}

TEST_CASE("normalising a source twice changes nothing, so the walk extends the head it was given") {
    TempDir dir;
    const std::wstring src = dir / L"Long Source Folder";
    quaytest::MakeDir(src);
    CurrentFolder here(dir.path());
    struct Row {
        std::wstring source;
        std::wstring expected;
    } rows[] = {
        {L"C:\\", L"C:\\"},
        {L"C:\\.", L"C:\\"},
        {L"D:\\", L"D:\\"},
        {ShortForm(src) + L"\\", src},
        {L"Long Source Folder\\", src},
        // A missing path has no long form but still becomes absolute, without its backslash.
        {L"missing\\", dir / L"missing"},
        {L"\\\\?\\" + dir.path() + L"\\missing\\child", dir / L"missing\\child"},
    };
    for (const Row& row : rows) {
        CONTEXT(quaytest::Utf8(row.source));
        const std::wstring once = NormalizeSourcePath(row.source);
        CHECK_EQ(once, row.expected);
        CHECK_EQ(NormalizeSourcePath(once), once);
    }
}
