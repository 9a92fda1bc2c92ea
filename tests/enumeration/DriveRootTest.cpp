// A drive root as the source. The fixture maps a letter of its own to a fresh folder (see
// map-drive.sh), so the root lists only what the test puts there. Wine, like Windows, lists
// no "." and ".." in a drive root.
#include <windows.h>

#include "EnumerateSources.h"
#include "EnumerationChecks.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace enumtest;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::EnumerateSources;

namespace {

// The letter comes from the build, which also hands it to the fixture.
std::wstring Root() { return std::wstring(1, ENUM_ROOT_LETTER) + L":\\"; }
std::wstring Drive(const std::wstring& root) { return root.substr(0, 2); }

// The root must be the fixture's empty folder, or the pictures below would not hold.
void RequireEmptyRoot(const std::wstring& root) {
    if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) FAIL("drive " + quaytest::Utf8(root) + " is not mapped");
    REQUIRE(quaytest::ListNames(Drive(root)).empty());
}

void ClearRoot(const std::wstring& root) {
    for (const std::wstring& name : quaytest::ListNames(Drive(root))) quaytest::RemoveTree(root + name);
}

}  // namespace

TEST_CASE("an empty drive root is one Folder item, never followed by a RemoveFolder") {
    const std::wstring root = Root();
    RequireEmptyRoot(root);
    for (bool move : {false, true}) {
        CONTEXT(move ? "move" : "copy");
        CopyItemsData items;
        REQUIRE(EnumerateSources({root}, L"C:\\quaytest", move, items));
        CHECK_EQ(items.Tree(0).begin()->path, root);
        CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  Folder \"\""}));
        CHECK_EQ(items.itemCount, int64_t{1});
    }
}

TEST_CASE("a drive root's entries hang right below the root item; a move removes its folders but not the root") {
    const std::wstring root = Root();
    RequireEmptyRoot(root);
    MakeFixture(Drive(root), {{L"a.txt", "abc"}, {L"d\\", ""}, {L"d\\e.txt", "e"}});
    struct Row {
        std::wstring source;
        bool move;
        std::string picture;
    } rows[] = {
        {root, false, Lines({"Root", "  Folder \"\"", "    File \"a.txt\" 3", "    Folder \"d\"", "      File \"e.txt\" 1"})},
        {root, true,
         Lines({"Root", "  Folder \"\"", "    File \"a.txt\" 3", "      DeleteFile \"\"", "    Folder \"d\"",
                "      File \"e.txt\" 1", "        DeleteFile \"\"", "      RemoveFolder \"\""})},
        // A bare drive letter means the drive's current folder, which for this process is its root.
        {Drive(root), false, Lines({"Root", "  Folder \"\"", "    File \"a.txt\" 3", "    Folder \"d\"", "      File \"e.txt\" 1"})},
    };
    for (const Row& row : rows) {
        CONTEXT(quaytest::Utf8(row.source) + (row.move ? " move" : " copy"));
        CopyItemsData items;
        REQUIRE(EnumerateSources({row.source}, L"C:\\quaytest", row.move, items));
        CHECK_EQ(items.Tree(0).begin()->path, root);
        CHECK_EQ(Picture(items.Tree(0)), row.picture);
        CheckAgainstDisk(items.Tree(0));
    }
    ClearRoot(root);
}
