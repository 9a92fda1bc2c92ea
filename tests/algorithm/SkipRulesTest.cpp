// What a skip takes out of a job's trees: the item and everything below it, and for a
// skipped stream the deletion of its file, whose other data would go with it.
#include <string>

#include "CopyItemsData.h"
#include "SluiceCopyThreadContext.h"
#include "TestHarness.h"

using namespace Marlin::Sluice;

namespace {

// A moved folder C:\s holding a.txt (two streams) and d\b.bin, as the enumeration lists it.
CopyItemsData MovedTree() {
    CopyItemsData items;
    items.AddRoot(L"C:\\s");
    const CopyItemData list[] = {
        {L"C:\\s", 0, CopyItemKind::Folder},
        {L"C:\\s\\a.txt", 10, CopyItemKind::File},
        {L"C:\\s\\a.txt:x:$DATA", 3, CopyItemKind::Stream},
        {L"C:\\s\\a.txt:y:$DATA", 4, CopyItemKind::Stream},
        {L"C:\\s\\a.txt", 0, CopyItemKind::DeleteFile},
        {L"C:\\s\\d", 0, CopyItemKind::Folder},
        {L"C:\\s\\d\\b.bin", 5, CopyItemKind::File},
        {L"C:\\s\\d\\b.bin", 0, CopyItemKind::DeleteFile},
        {L"C:\\s\\d", 0, CopyItemKind::RemoveFolder},
        {L"C:\\s", 0, CopyItemKind::RemoveFolder},
    };
    for (const CopyItemData& item : list) REQUIRE(items.AddItem(item));
    return items;
}

// "name/kind" of every item with Skip, in pre-order, e.g. "a.txt/2 /5".
std::string Skipped(const CopyItemsData& items) {
    std::string out;
    const CopyItemTree& t = items.Tree(0);
    for (auto it = t.begin(); it != t.end(); ++it) {
        if (!it->HasFlags(CopyItemFlags::Skip)) continue;
        if (!out.empty()) out += ' ';
        out += std::string(it->path.begin(), it->path.end()) + "/" + std::to_string(static_cast<int>(it->kind));
    }
    return out;
}

CopyItemTree::iterator Find(CopyItemsData& items, const std::wstring& name, CopyItemKind kind) {
    CopyItemTree& t = items.Tree(0);
    for (auto it = t.begin(); it != t.end(); ++it)
        if (it->path == name && it->kind == kind) return it;
    FAIL("no such item");
}

}  // namespace

TEST_CASE("a skip marks the item and its subtree, and a skipped stream keeps its file's source") {
    struct Row {
        const char* name;
        const wchar_t* item;
        CopyItemKind kind;
        const char* skipped;
    };
    const Row rows[] = {
        {"a file: its streams and its delete marker", L"a.txt", CopyItemKind::File, "a.txt/2 :x:$DATA/4 :y:$DATA/4 /5"},
        {"a stream: itself and its file's delete marker", L":x:$DATA", CopyItemKind::Stream, ":x:$DATA/4 /5"},
        {"a folder: everything in it, its remove marker too", L"d", CopyItemKind::Folder, "d/3 b.bin/2 /5 /6"},
        // The folder around a skipped file then fails to go, and is asked about like any error.
        {"a file in a folder: not the folder's remove marker", L"b.bin", CopyItemKind::File, "b.bin/2 /5"},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        CopyItemsData items = MovedTree();
        SluiceCopyThreadContext::MarkSkipped(Find(items, row.item, row.kind));
        CHECK_EQ(Skipped(items), std::string(row.skipped));
    }
}
