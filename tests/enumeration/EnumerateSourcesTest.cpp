// Real folder trees on the test drives, listed the way a job lists its sources: the exact
// pre-order sequence of items, the move markers and the counters.
//
// Both NTFS and Wine hand out a folder's entries in upper-case name order, so the sequence
// of siblings in the pictures below is fixed.
#include <windows.h>

#include "EnumerateSources.h"
#include "EnumerationChecks.h"
#include "FindCopyItem.h"
#include "FindCopyItemCoreRoot2.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using namespace enumtest;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::EnumerateSources;
using quaytest::TempDir;

namespace {

// a.txt 3 bytes, b.bin empty, d\e.txt 5 bytes, d\f empty folder, h.txt hidden, s.sys system.
std::wstring MakeSmallTree(const TempDir& dir) {
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"a.txt", "abc"},
                      {L"b.bin", ""},
                      {L"d\\", ""},
                      {L"d\\e.txt", "12345"},
                      {L"d\\f\\", ""},
                      {L"h.txt", "hh", FILE_ATTRIBUTE_HIDDEN},
                      {L"s.sys", "s", FILE_ATTRIBUTE_SYSTEM}});
    return src;
}

const std::string kSmallTreeCopied = Lines({
    "Root",
    "  Folder \"\"",
    "    File \"a.txt\" 3",
    "    File \"b.bin\" 0",
    "    Folder \"d\"",
    "      File \"e.txt\" 5",
    "      Folder \"f\"",
    "    File \"h.txt\" 2",
    "    File \"s.sys\" 1",
});

const std::string kSmallTreeMoved = Lines({
    "Root",
    "  Folder \"\"",
    "    File \"a.txt\" 3",
    "      DeleteFile \"\"",
    "    File \"b.bin\" 0",
    "      DeleteFile \"\"",
    "    Folder \"d\"",
    "      File \"e.txt\" 5",
    "        DeleteFile \"\"",
    "      Folder \"f\"",
    "        RemoveFolder \"\"",
    "      RemoveFolder \"\"",
    "    File \"h.txt\" 2",
    "      DeleteFile \"\"",
    "    File \"s.sys\" 1",
    "      DeleteFile \"\"",
    "    RemoveFolder \"\"",
});

}  // namespace

TEST_CASE("a copied folder lists every entry once, folders before their contents, hidden and system files too") {
    TempDir dir;
    const std::wstring src = MakeSmallTree(dir);
    REQUIRE(GetFileAttributesW((src + L"\\h.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    REQUIRE(GetFileAttributesW((src + L"\\s.sys").c_str()) & FILE_ATTRIBUTE_SYSTEM);

    CopyItemsData items;
    REQUIRE(EnumerateSources({src}, dir / L"dest", false, items));
    REQUIRE_EQ(items.TreeCount(), size_t{1});
    CHECK_EQ(items.Tree(0).begin()->path, src);
    CHECK_EQ(Picture(items.Tree(0)), kSmallTreeCopied);
    CheckAgainstDisk(items.Tree(0));
    // Items: src, a.txt, b.bin, d, e.txt, f, h.txt, s.sys; the empty file weighs 512.
    CheckCounters(items, {8, 3, 5, 0, 0, 0, 11, 3 + 512 + 5 + 2 + 1, 5});
}

TEST_CASE("a moved folder gets a DeleteFile after each file and a RemoveFolder as the last child of each folder") {
    TempDir dir;
    const std::wstring src = MakeSmallTree(dir);
    CopyItemsData items;
    REQUIRE(EnumerateSources({src}, dir / L"dest", true, items));
    REQUIRE_EQ(items.TreeCount(), size_t{1});
    CHECK_EQ(Picture(items.Tree(0)), kSmallTreeMoved);
    CheckAgainstDisk(items.Tree(0));
    CheckCounters(items, {16, 3, 5, 0, 3, 5, 11, 523, 5});
}

TEST_CASE("a single file as the source is the tree's only item, followed by its DeleteFile in a move") {
    TempDir dir;
    const std::wstring file = dir / L"only.txt";
    quaytest::WriteBytes(file, "seven b");
    struct Row {
        bool move;
        std::string picture;
    } rows[] = {
        {false, Lines({"Root", "  File \"\" 7"})},
        {true, Lines({"Root", "  File \"\" 7", "    DeleteFile \"\""})},
    };
    for (const Row& row : rows) {
        CONTEXT(row.move ? "move" : "copy");
        CopyItemsData items;
        REQUIRE(EnumerateSources({file}, dir.path(), row.move, items));
        CHECK_EQ(items.Tree(0).begin()->path, file);
        CHECK_EQ(Picture(items.Tree(0)), row.picture);
        CheckAgainstDisk(items.Tree(0));
        CHECK_EQ(items.fileCount, int64_t{1});
        CHECK_EQ(items.deleteFileCount, int64_t{row.move ? 1 : 0});
    }
}

TEST_CASE("an empty folder is one Folder item, and in a move also its RemoveFolder") {
    TempDir dir;
    const std::wstring empty = dir / L"empty";
    quaytest::MakeDir(empty);
    struct Row {
        bool move;
        std::string picture;
    } rows[] = {
        {false, Lines({"Root", "  Folder \"\""})},
        {true, Lines({"Root", "  Folder \"\"", "    RemoveFolder \"\""})},
    };
    for (const Row& row : rows) {
        CONTEXT(row.move ? "move" : "copy");
        CopyItemsData items;
        REQUIRE(EnumerateSources({empty}, dir / L"dest", row.move, items));
        CHECK_EQ(Picture(items.Tree(0)), row.picture);
        CHECK_EQ(items.itemCount, int64_t{row.move ? 2 : 1});
    }
}

TEST_CASE("several sources give one tree each, in the order of the sources, with the counters summed") {
    TempDir dir;
    const std::wstring folder = dir / L"folder";
    MakeFixture(folder, {{L"x.txt", "xx"}});
    const std::wstring file = dir / L"loose.bin";
    quaytest::WriteBytes(file, "12345678");

    CopyItemsData items;
    REQUIRE(EnumerateSources({file, folder}, dir / L"dest", false, items));
    REQUIRE_EQ(items.TreeCount(), size_t{2});
    CHECK_EQ(items.Tree(0).begin()->path, file);
    CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  File \"\" 8"}));
    CHECK_EQ(items.Tree(1).begin()->path, folder);
    CHECK_EQ(Picture(items.Tree(1)), Lines({"Root", "  Folder \"\"", "    File \"x.txt\" 2"}));
    CheckCounters(items, {3, 1, 2, 0, 0, 0, 10, 10, 8});
}

TEST_CASE("a missing source fails the enumeration at once; the sources before it stay listed, later ones are not tried") {
    TempDir dir;
    const std::wstring first = dir / L"first.txt";
    const std::wstring last = dir / L"last.txt";
    quaytest::WriteBytes(first, "1");
    quaytest::WriteBytes(last, "2");
    const std::wstring missing[] = {dir / L"gone.txt", dir / L"gone\\deeper\\x.txt"};
    for (const std::wstring& m : missing) {
        CONTEXT(quaytest::Utf8(m));
        CopyItemsData items;
        CHECK(!EnumerateSources({first, m, last}, dir.path(), false, items));
        REQUIRE_EQ(items.TreeCount(), size_t{2});
        CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  File \"\" 1"}));
        CHECK_EQ(items.Tree(1).begin()->path, m);
        CHECK_EQ(Picture(items.Tree(1)), Lines({"Root"}));
        CHECK_EQ(items.itemCount, int64_t{1});
    }
}

TEST_CASE("the source level reports an unreachable source with the platform's error and the source path") {
    TempDir dir;
    struct Row {
        std::wstring source;
        DWORD error;
    } rows[] = {
        {dir / L"gone.txt", ERROR_FILE_NOT_FOUND},
        {dir / L"gone\\x.txt", ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : rows) {
        CONTEXT(quaytest::Utf8(row.source));
        Marlin::Sluice::FindCopyItemCoreRoot2 root(row.source, false);
        try {
            root.First();
            FAIL("no exception");
        } catch (const Marlin::WindowsFileException& e) {
            CHECK_EQ(e.error, static_cast<uint32_t>(row.error));
            CHECK_EQ(e.path, row.source);
        }
    }
}

TEST_CASE("a walk whose items do not extend the tree's head fails instead of building a wrong tree") {
    TempDir dir;
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"x.txt", "x"}});
    CopyItemsData items;
    items.AddRoot(dir / L"other");
    Marlin::Sluice::FindCopyItem find;
    CHECK(!find.Run(src, false, false, items));
    CHECK_EQ(items.itemCount, int64_t{0});
}

TEST_CASE("a source on the second drive is listed like one on the first") {
    TempDir dir(L'D');
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"k\\", ""}, {L"k\\l.txt", "l"}});
    CopyItemsData items;
    REQUIRE(EnumerateSources({src}, L"C:\\quaytest", true, items));
    CHECK_EQ(items.Tree(0).begin()->path, src);
    CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  Folder \"\"", "    Folder \"k\"", "      File \"l.txt\" 1",
                                            "        DeleteFile \"\"", "      RemoveFolder \"\"", "    RemoveFolder \"\""}));
    CheckAgainstDisk(items.Tree(0));
}

TEST_CASE("paths longer than 260 characters are listed below and as the source") {
    TempDir dir;
    const std::wstring level(60, L'n');
    std::wstring deep = dir.path();
    for (int i = 0; i < 5; ++i) deep += L"\\" + level + static_cast<wchar_t>(L'0' + i);
    quaytest::MakeDir(deep);
    quaytest::WriteBytes(deep + L"\\leaf.txt", "leaf");
    REQUIRE(deep.size() > MAX_PATH);

    const std::wstring top = dir.path() + L"\\" + level + L"0";
    CopyItemsData items;
    REQUIRE(EnumerateSources({top, deep}, dir / L"dest", false, items));
    REQUIRE_EQ(items.TreeCount(), size_t{2});
    const std::string n(60, 'n');
    CHECK_EQ(Picture(items.Tree(0)),
             Lines({"Root", "  Folder \"\"", ("    Folder \"" + n + "1\"").c_str(), ("      Folder \"" + n + "2\"").c_str(),
                    ("        Folder \"" + n + "3\"").c_str(), ("          Folder \"" + n + "4\"").c_str(),
                    "            File \"leaf.txt\" 4"}));
    CheckAgainstDisk(items.Tree(0));
    CHECK_EQ(items.Tree(1).begin()->path, deep);
    CHECK_EQ(Picture(items.Tree(1)), Lines({"Root", "  Folder \"\"", "    File \"leaf.txt\" 4"}));
    CheckAgainstDisk(items.Tree(1));
}

TEST_CASE("Japanese names of sources, folders and files come through unchanged") {
    TempDir dir;
    const std::wstring src = dir / L"日本語のフォルダ";
    MakeFixture(src, {{L"写真\\", ""}, {L"写真\\夏休み.jpg", "jpeg"}, {L"メモ.txt", "memo!"}});
    CopyItemsData items;
    REQUIRE(EnumerateSources({src}, dir / L"宛先", false, items));
    CHECK_EQ(items.Tree(0).begin()->path, src);
    CHECK_EQ(Picture(items.Tree(0)),
             Lines({"Root", "  Folder \"\"", "    File \"メモ.txt\" 5", "    Folder \"写真\"", "      File \"夏休み.jpg\" 4"}));
    CheckAgainstDisk(items.Tree(0));
}

TEST_CASE("file sizes above 4 GiB keep their high half") {
    TempDir dir;
    const std::wstring src = dir / L"big";
    quaytest::MakeDir(src);
    const int64_t size = (int64_t{5} << 32) + 7;
    {
        Marlin::FileHandle f(CreateFileW((src + L"\\huge.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        REQUIRE(f.valid());
        LARGE_INTEGER at;
        at.QuadPart = size;
        REQUIRE(SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN));
        REQUIRE(SetEndOfFile(f.get()));  // sparse on the Linux side: no 20 GiB written
    }
    CopyItemsData items;
    REQUIRE(EnumerateSources({src, src + L"\\huge.bin"}, dir / L"dest", false, items));
    CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  Folder \"\"", "    File \"huge.bin\" 21474836487"}));
    CHECK_EQ(Picture(items.Tree(1)), Lines({"Root", "  File \"\" 21474836487"}));
    CHECK_EQ(items.largestSize, size);
    CHECK_EQ(items.totalBytes, 2 * size);
}
