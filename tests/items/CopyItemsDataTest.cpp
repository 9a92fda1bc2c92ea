// Building item trees from enumerated items: the shapes, the counters, name lookup and
// the refusal of items that cannot be placed.
#include <string>
#include <vector>

#include "ItemFixtures.h"

using namespace itemtest;

namespace {

struct Counters {
    int64_t totalBytes, weightedBytes, largestSize, itemCount, folderCount, fileCount, streamCount,
        removeFolderCount, deleteFileCount;
};

void CheckCounters(const CopyItemsData& items, const Counters& c) {
    CHECK_EQ(items.totalBytes, c.totalBytes);
    CHECK_EQ(items.weightedBytes, c.weightedBytes);
    CHECK_EQ(items.largestSize, c.largestSize);
    CHECK_EQ(items.itemCount, c.itemCount);
    CHECK_EQ(items.folderCount, c.folderCount);
    CHECK_EQ(items.fileCount, c.fileCount);
    CHECK_EQ(items.streamCount, c.streamCount);
    CHECK_EQ(items.removeFolderCount, c.removeFolderCount);
    CHECK_EQ(items.deleteFileCount, c.deleteFileCount);
}

}  // namespace

TEST_CASE("a copied folder becomes head, nameless source item, entries by name, streams under their file") {
    CopyItemsData items;
    CheckCounters(items, {0, 0, 0, 0, 0, 0, 0, 0, 0});
    AddSource(items, L"C:\\s", CopyOfS());
    REQUIRE_EQ(items.TreeCount(), size_t(1));
    const CopyItemTree& t = items.Tree(0);
    CHECK_EQ(Picture(t), std::string("Root \"C:\\s\"\n"
                                     "  Folder \"\"\n"
                                     "    File \"a.txt\"\n"
                                     "      Stream \":x:$DATA\"\n"
                                     "      Stream \":y:$DATA\"\n"
                                     "    Folder \"d\"\n"
                                     "      File \"b.bin\"\n"));
    CheckLinks(t);
    CHECK_EQ(t.begin()->size, int64_t(0));
    CHECK_EQ(At(t, 6)->size, int64_t(20));
    CheckCounters(items, {37, 37, 20, 6, 2, 2, 2, 0, 0});
}

TEST_CASE("a moved folder gets DeleteFile after each file's streams and RemoveFolder last in each folder") {
    CopyItemsData items;
    AddSource(items, L"C:\\s", MoveOfS());
    const CopyItemTree& t = items.Tree(0);
    CHECK_EQ(Picture(t), std::string("Root \"C:\\s\"\n"
                                     "  Folder \"\"\n"
                                     "    File \"a.txt\"\n"
                                     "      Stream \":x:$DATA\"\n"
                                     "      Stream \":y:$DATA\"\n"
                                     "      DeleteFile \"\"\n"
                                     "    Folder \"d\"\n"
                                     "      File \"b.bin\"\n"
                                     "        DeleteFile \"\"\n"
                                     "      RemoveFolder \"\"\n"
                                     "    RemoveFolder \"\"\n"));
    CheckLinks(t);
    CheckCounters(items, {37, 37, 20, 10, 2, 2, 2, 2, 2});
}

TEST_CASE("a moved single file with a stream: the stream and the marker hang below the source item") {
    CopyItemsData items;
    AddSource(items, L"C:\\f.txt",
              {{L"C:\\f.txt", 5, CopyItemKind::File},
               {L"C:\\f.txt:s:$DATA", 2, CopyItemKind::Stream},
               {L"C:\\f.txt", 0, CopyItemKind::DeleteFile}});
    CHECK_EQ(Picture(items.Tree(0)), std::string("Root \"C:\\f.txt\"\n"
                                                 "  File \"\"\n"
                                                 "    Stream \":s:$DATA\"\n"
                                                 "    DeleteFile \"\"\n"));
    CheckCounters(items, {7, 7, 5, 3, 0, 1, 1, 0, 1});
}

TEST_CASE("empty files and streams weigh 512 bytes; folders and markers weigh nothing") {
    CopyItemsData items;
    AddSource(items, L"C:\\s",
              {{L"C:\\s", 0, CopyItemKind::Folder},
               {L"C:\\s\\empty.txt", 0, CopyItemKind::File},
               {L"C:\\s\\empty.txt:z:$DATA", 0, CopyItemKind::Stream},
               {L"C:\\s\\empty.txt", 0, CopyItemKind::DeleteFile},
               {L"C:\\s\\seven", 7, CopyItemKind::File},
               {L"C:\\s", 0, CopyItemKind::RemoveFolder}});
    CheckCounters(items, {7, 512 + 512 + 7, 7, 6, 1, 2, 1, 1, 1});
}

TEST_CASE("names that differ only in case are one node: a later item descends into the first match") {
    CopyItemsData items;
    AddSource(items, L"C:\\s",
              {{L"C:\\s", 0, CopyItemKind::Folder},
               {L"C:\\s\\Docs", 0, CopyItemKind::Folder},
               {L"C:\\s\\DOCS", 0, CopyItemKind::Folder},
               {L"C:\\s\\docs\\x.txt", 1, CopyItemKind::File},
               {L"C:\\s\\dOcS\\X.TXT:s:$DATA", 1, CopyItemKind::Stream},
               // the head's path is matched without case as well
               {L"c:\\S\\DOCS\\y.txt", 1, CopyItemKind::File}});
    CHECK_EQ(Picture(items.Tree(0)), std::string("Root \"C:\\s\"\n"
                                                 "  Folder \"\"\n"
                                                 "    Folder \"Docs\"\n"
                                                 "      File \"x.txt\"\n"
                                                 "        Stream \":s:$DATA\"\n"
                                                 "      File \"y.txt\"\n"
                                                 "    Folder \"DOCS\"\n"));
}

TEST_CASE("a drive-root source keeps C:\\ as its head and its entries get names directly") {
    CopyItemsData items;
    AddSource(items, L"C:\\",
              {{L"C:\\", 0, CopyItemKind::Folder},
               {L"C:\\a.txt", 1, CopyItemKind::File},
               {L"C:\\d", 0, CopyItemKind::Folder},
               {L"C:\\d\\b.bin", 2, CopyItemKind::File}});
    CHECK_EQ(Picture(items.Tree(0)), std::string("Root \"C:\\\"\n"
                                                 "  Folder \"\"\n"
                                                 "    File \"a.txt\"\n"
                                                 "    Folder \"d\"\n"
                                                 "      File \"b.bin\"\n"));
    CHECK_EQ(CopyItemsData::SourcePath(At(items.Tree(0), 4)), std::wstring(L"C:\\d\\b.bin"));
}

TEST_CASE("items that cannot be placed are refused and change nothing") {
    struct Row {
        const char* what;
        const wchar_t* path;
        CopyItemKind kind;
    };
    const Row rows[] = {
        {"shorter than the head", L"C:", CopyItemKind::File},
        {"another source", L"D:\\s\\a", CopyItemKind::File},
        {"a sibling sharing the head's text", L"C:\\sx\\a", CopyItemKind::File},
        {"a stream of a sibling sharing the head's text", L"C:\\sx:s:$DATA", CopyItemKind::Stream},
        {"parent folder not in the tree", L"C:\\s\\missing\\b.bin", CopyItemKind::File},
        {"stream of a file not in the tree", L"C:\\s\\nofile:x:$DATA", CopyItemKind::Stream},
        {"marker of a file not in the tree", L"C:\\s\\nofile", CopyItemKind::DeleteFile},
        {"a second source item", L"C:\\s", CopyItemKind::Folder},
        {"an entry without a name", L"C:\\s\\", CopyItemKind::File},
        {"an empty record", L"C:\\s\\e", CopyItemKind::None},
        {"a head", L"C:\\s\\h", CopyItemKind::Root},
        {"a kind out of range", L"C:\\s\\k", static_cast<CopyItemKind>(7)},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CopyItemsData items;
        AddSource(items, L"C:\\s", CopyOfS());
        const std::string before = Picture(items.Tree(0));
        CHECK(!items.AddItem(CopyItemData(row.path, 99, row.kind)));
        CHECK_EQ(Picture(items.Tree(0)), before);
        CheckCounters(items, {37, 37, 20, 6, 2, 2, 2, 0, 0});
    }

    // Before the source item only the source item itself can be placed.
    const Row early[] = {
        {"an entry before the source item", L"C:\\s\\a.txt", CopyItemKind::File},
        {"a stream before the source item", L"C:\\s:s:$DATA", CopyItemKind::Stream},
        {"a marker before the source item", L"C:\\s", CopyItemKind::RemoveFolder},
    };
    for (const Row& row : early) {
        CONTEXT(row.what);
        CopyItemsData items;
        items.AddRoot(L"C:\\s");
        CHECK(!items.AddItem(CopyItemData(row.path, 1, row.kind)));
        CHECK_EQ(Picture(items.Tree(0)), std::string("Root \"C:\\s\"\n"));
        CHECK_EQ(items.itemCount, int64_t(0));
    }

    CopyItemsData none;
    CHECK(!none.AddItem(CopyItemData(L"C:\\s", 0, CopyItemKind::Folder)));
    CHECK_EQ(none.itemCount, int64_t(0));
}

TEST_CASE("items go into the last tree; each tree's pre-order walk ends at its own end") {
    CopyItemsData items;
    AddSource(items, L"C:\\s", CopyOfS());
    AddSource(items, L"C:\\t.txt", {{L"C:\\t.txt", 4, CopyItemKind::File}});
    items.AddRoot(L"C:\\gone");  // a source that contributed no item
    AddSource(items, L"D:\\", {{L"D:\\", 0, CopyItemKind::Folder}, {L"D:\\z", 1, CopyItemKind::File}});
    REQUIRE_EQ(items.TreeCount(), size_t(4));

    std::vector<std::wstring> walk;
    for (const CopyItemTree& t : items.Trees())
        for (auto it = t.begin(); it != t.end(); ++it) walk.push_back(CopyItemsData::SourcePath(it));
    const std::vector<std::wstring> expected = {
        L"C:\\s", L"C:\\s", L"C:\\s\\a.txt", L"C:\\s\\a.txt:x:$DATA", L"C:\\s\\a.txt:y:$DATA", L"C:\\s\\d",
        L"C:\\s\\d\\b.bin", L"C:\\t.txt", L"C:\\t.txt", L"C:\\gone", L"D:\\", L"D:\\", L"D:\\z",
    };
    REQUIRE_EQ(walk.size(), expected.size());
    for (size_t i = 0; i < walk.size(); ++i) CHECK_EQ(walk[i], expected[i]);
    CheckCounters(items, {42, 42, 20, 9, 3, 4, 2, 0, 0});
}
