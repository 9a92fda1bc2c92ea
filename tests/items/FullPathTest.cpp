// Full paths of tree nodes, on the source side (the head's path as base) and on the
// destination side (a given base).
#include <string>

#include "ItemFixtures.h"

using namespace itemtest;

TEST_CASE("full paths join folders with a backslash, streams directly, and give markers their item's path") {
    CopyItemsData items;
    AddSource(items, L"C:\\s", MoveOfS());
    const CopyItemTree& t = items.Tree(0);

    struct Row {
        int index;  // pre-order position in the moved tree
        const wchar_t* source;
        const wchar_t* destination;  // base E:\dst\s
        const wchar_t* atDriveRoot;  // base E:\ (the source copied onto a drive root)
    };
    const Row rows[] = {
        {0, L"C:\\s", L"E:\\dst\\s", L"E:\\"},  // the head: just the base
        {1, L"C:\\s", L"E:\\dst\\s", L"E:\\"},  // the source item itself: no trailing backslash
        {2, L"C:\\s\\a.txt", L"E:\\dst\\s\\a.txt", L"E:\\a.txt"},
        {3, L"C:\\s\\a.txt:x:$DATA", L"E:\\dst\\s\\a.txt:x:$DATA", L"E:\\a.txt:x:$DATA"},
        {4, L"C:\\s\\a.txt:y:$DATA", L"E:\\dst\\s\\a.txt:y:$DATA", L"E:\\a.txt:y:$DATA"},
        {5, L"C:\\s\\a.txt", L"E:\\dst\\s\\a.txt", L"E:\\a.txt"},  // DeleteFile of a.txt
        {6, L"C:\\s\\d", L"E:\\dst\\s\\d", L"E:\\d"},
        {7, L"C:\\s\\d\\b.bin", L"E:\\dst\\s\\d\\b.bin", L"E:\\d\\b.bin"},
        {8, L"C:\\s\\d\\b.bin", L"E:\\dst\\s\\d\\b.bin", L"E:\\d\\b.bin"},  // DeleteFile of b.bin
        {9, L"C:\\s\\d", L"E:\\dst\\s\\d", L"E:\\d"},                    // RemoveFolder of d
        {10, L"C:\\s", L"E:\\dst\\s", L"E:\\"},                          // RemoveFolder of the source
    };
    for (const Row& row : rows) {
        CONTEXT("node " + std::to_string(row.index) + " " + Describe(*At(t, row.index)));
        auto node = At(t, row.index);
        CHECK_EQ(CopyItemsData::SourcePath(node), std::wstring(row.source));
        CHECK_EQ(CopyItemsData::FullPath(node, L"C:\\s"), std::wstring(row.source));
        CHECK_EQ(CopyItemsData::FullPath(node, L"E:\\dst\\s"), std::wstring(row.destination));
        CHECK_EQ(CopyItemsData::FullPath(node, L"E:\\"), std::wstring(row.atDriveRoot));
    }
}

TEST_CASE("full paths of a single-file source and of a share root") {
    CopyItemsData items;
    AddSource(items, L"C:\\f.txt",
              {{L"C:\\f.txt", 5, CopyItemKind::File}, {L"C:\\f.txt:s:$DATA", 2, CopyItemKind::Stream}});
    AddSource(items, L"\\\\srv\\share",
              {{L"\\\\srv\\share", 0, CopyItemKind::Folder},
               {L"\\\\srv\\share\\d", 0, CopyItemKind::Folder},
               {L"\\\\srv\\share\\d\\x", 1, CopyItemKind::File}});

    const CopyItemTree& file = items.Tree(0);
    CHECK_EQ(CopyItemsData::SourcePath(At(file, 1)), std::wstring(L"C:\\f.txt"));
    // A stream of the source item joins the base without a separator.
    CHECK_EQ(CopyItemsData::SourcePath(At(file, 2)), std::wstring(L"C:\\f.txt:s:$DATA"));
    CHECK_EQ(CopyItemsData::FullPath(At(file, 2), L"E:\\f (2).txt"), std::wstring(L"E:\\f (2).txt:s:$DATA"));

    const CopyItemTree& share = items.Tree(1);
    CHECK_EQ(CopyItemsData::SourcePath(At(share, 3)), std::wstring(L"\\\\srv\\share\\d\\x"));
    CHECK_EQ(CopyItemsData::FullPath(At(share, 3), L"E:\\share"), std::wstring(L"E:\\share\\d\\x"));
    // The end position has no name of its own.
    CHECK_EQ(CopyItemsData::FullPath(share.end(), L"E:\\share"), std::wstring(L"E:\\share"));
}
