// The reader's and the writer's cursors over item trees built with the item model: the
// walk orders with and without the folders pass, what each cursor stops at, the
// accounting and the flags it leaves, the paths of its item, and a cursor handed over.
// <windows.h> first: it renames DeleteFile, and the item kinds must be read the same way.
#include <windows.h>

#include <string>
#include <vector>

#include "CopyItemsData.h"
#include "SluiceStatus.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::Sluice::CopyItemData;
using Marlin::Sluice::CopyItemFlags;
using Marlin::Sluice::CopyItemKind;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::CopyItemTree;
using Marlin::Sluice::SluiceStatus;
using Marlin::Sluice::SluiceStatusItemInfo;
using quaytest::MakeDir;
using quaytest::TempDir;
using quaytest::Utf8;
using quaytest::WriteBytes;

namespace {

const std::wstring kBase = L"C:\\q\\";
const std::wstring kDestination = L"D:\\dst";

struct Input {
    std::wstring path;  // below kBase
    int64_t size;
    CopyItemKind kind;
};

void AddSource(CopyItemsData& items, const std::wstring& source, const std::vector<Input>& inputs) {
    items.AddRoot(kBase + source);
    for (const Input& in : inputs) {
        CONTEXT("adding " + Utf8(in.path));
        REQUIRE(items.AddItem(CopyItemData(kBase + in.path, in.size, in.kind)));
    }
}

// Folder S holding file b (listed first) and folder a, which holds the empty file c.
std::vector<Input> CopyOfS() {
    return {{L"S", 0, CopyItemKind::Folder},
            {L"S\\b", 5, CopyItemKind::File},
            {L"S\\a", 0, CopyItemKind::Folder},
            {L"S\\a\\c", 0, CopyItemKind::File}};
}

// The same moved, b with a named stream: markers after what they wait for.
std::vector<Input> MoveOfS() {
    return {{L"S", 0, CopyItemKind::Folder},
            {L"S\\b", 5, CopyItemKind::File},
            {L"S\\b:s:$DATA", 3, CopyItemKind::Stream},
            {L"S\\b", 0, CopyItemKind::DeleteFile},
            {L"S\\a", 0, CopyItemKind::Folder},
            {L"S\\a\\c", 0, CopyItemKind::File},
            {L"S\\a\\c", 0, CopyItemKind::DeleteFile},
            {L"S\\a", 0, CopyItemKind::RemoveFolder},
            {L"S", 0, CopyItemKind::RemoveFolder}};
}

// "S\a/#1": the item's source path below kBase, a slash for a folder, " del" or " rm" for
// a marker, then the phase.
std::string Label(const SluiceStatusItemInfo& cursor) {
    std::wstring path = cursor.ItemSourcePath();
    if (path.compare(0, kBase.size(), kBase) == 0) path.erase(0, kBase.size());
    std::string label = Utf8(path);
    switch (cursor.Kind()) {
        case CopyItemKind::Folder: label += "/"; break;
        case CopyItemKind::DeleteFile: label += " del"; break;
        case CopyItemKind::RemoveFolder: label += " rm"; break;
        default: break;
    }
    return label + "#" + std::to_string(cursor.Phase());
}

std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& p : parts) text += (text.empty() ? "" : ", ") + p;
    return text;
}

std::string ReadStops(SluiceStatus& status) {
    std::vector<std::string> stops;
    status.BeginRead(kDestination);
    for (int guard = 0; status.readCursor.IsWalking() && guard < 100; ++guard) {
        stops.push_back(Label(status.readCursor));
        status.AdvanceRead();
    }
    return Join(stops);
}

std::string WriteStops(SluiceStatus& status) {
    std::vector<std::string> stops;
    status.BeginWrite(kDestination);
    for (int guard = 0; status.writeCursor.IsWalking() && guard < 100; ++guard) {
        CHECK(!status.IsWriteSkippable());
        stops.push_back(Label(status.writeCursor));
        status.AdvanceWrite();
    }
    return Join(stops);
}

// The pre-order position index of a tree (0 = the head).
CopyItemTree::iterator At(CopyItemTree& t, int index) {
    auto it = t.begin();
    for (int i = 0; i < index && it != t.end(); ++i) ++it;
    return it;
}

}  // namespace

TEST_CASE("each cursor stops where its thread has work, folders first or in one pre-order pass") {
    struct Row {
        const char* name;
        int32_t foldersFirst;
        bool move;
        const char* reads;
        const char* writes;
    } rows[] = {
        {"copy, folders first", 1, false, "S/#1, S\\a/#1, S\\b#2, S\\a\\c#2", "S/#1, S\\a/#1, S\\b#2, S\\a\\c#2"},
        {"copy, one pass", 0, false, "S/#3, S\\b#3, S\\a/#3, S\\a\\c#3", "S/#3, S\\b#3, S\\a/#3, S\\a\\c#3"},
        // The reader has nothing to read at a marker; the writer carries each one out, in
        // the remaining pass only.
        {"move, folders first", 1, true, "S/#1, S\\a/#1, S\\b#2, S\\b:s:$DATA#2, S\\a\\c#2",
         "S/#1, S\\a/#1, S\\b#2, S\\b:s:$DATA#2, S\\b del#2, S\\a\\c#2, S\\a\\c del#2, S\\a rm#2, S rm#2"},
        {"move, one pass", 0, true, "S/#3, S\\b#3, S\\b:s:$DATA#3, S\\a/#3, S\\a\\c#3",
         "S/#3, S\\b#3, S\\b:s:$DATA#3, S\\b del#3, S\\a/#3, S\\a\\c#3, S\\a\\c del#3, S\\a rm#3, S rm#3"},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        SluiceStatus status;
        status.foldersFirst = row.foldersFirst;
        AddSource(status.items, L"S", row.move ? MoveOfS() : CopyOfS());
        CHECK_EQ(ReadStops(status), std::string(row.reads));
        CHECK_EQ(WriteStops(status), std::string(row.writes));
        CHECK_EQ(status.readCursor.State(), int32_t(SluiceStatusItemInfo::Done));
        CHECK_EQ(status.writeCursor.State(), int32_t(SluiceStatusItemInfo::Done));
    }
}

TEST_CASE("a cursor counts each folder and file once, when it leaves it, and flags it for the other thread") {
    for (int32_t foldersFirst : {1, 0}) {
        CONTEXT("foldersFirst " + std::to_string(foldersFirst));
        SluiceStatus status;
        status.foldersFirst = foldersFirst;
        AddSource(status.items, L"S", MoveOfS());
        CopyItemTree& t = status.items.Tree(0);

        status.BeginRead(kDestination);
        // Not counted before it is left: at S nothing is done yet.
        CHECK_EQ(status.readCursor.ItemsDone(), uint64_t(0));
        CHECK_EQ(status.readCursor.Node()->Flags(), 0);
        while (status.readCursor.IsWalking() && status.readCursor.Node()->path != L"b") status.AdvanceRead();
        REQUIRE(status.readCursor.IsWalking());
        const uint64_t foldersBeforeB = foldersFirst == 1 ? 2 : 1;  // S and a, or only S
        CHECK_EQ(status.readCursor.ItemsDone(), foldersBeforeB);
        CHECK_EQ(status.readCursor.BytesDone(), uint64_t(0));
        CHECK_EQ(status.readCursor.Node()->Flags(), 0);
        status.AdvanceRead();
        CHECK_EQ(At(t, 2)->Flags(), int32_t(0x2));
        CHECK_EQ(status.readCursor.BytesDone(), uint64_t(5));
        while (status.readCursor.IsWalking()) status.AdvanceRead();

        // Folders and files only: b's stream is read but is not an item of the count,
        // and the empty file c weighs 512.
        CHECK_EQ(status.readCursor.ItemsDone(), uint64_t(4));
        CHECK_EQ(status.readCursor.BytesDone(), uint64_t(5));
        CHECK_EQ(status.readCursor.WeightedBytesDone(), uint64_t(517));

        status.BeginWrite(kDestination);
        while (status.writeCursor.IsWalking()) status.AdvanceWrite();
        CHECK_EQ(status.writeCursor.ItemsDone(), uint64_t(4));
        CHECK_EQ(status.writeCursor.WeightedBytesDone(), uint64_t(517));

        const int32_t read = 0x2, written = 0x20;
        const int32_t expected[] = {
            0,               // head
            read | written,  // S
            read | written,  // b
            0,               // :s:$DATA
            read,            // DeleteFile b
            read | written,  // a
            read | written,  // c
            read,            // DeleteFile c
            read,            // RemoveFolder a
            read,            // RemoveFolder S
        };
        for (int i = 0; i < 10; ++i) {
            CONTEXT("node " + std::to_string(i));
            CHECK_EQ(At(t, i)->Flags(), expected[i]);
        }
    }
}

TEST_CASE("the walk goes through the trees in order, passing those without a root, and ends without an item") {
    SluiceStatus status;
    status.foldersFirst = 1;
    AddSource(status.items, L"S", CopyOfS());
    status.items.AppendTree(CopyItemTree());  // no head at all
    CopyItemTree headless;
    headless.set_head(CopyItemData(L"C:\\q\\odd", 0, CopyItemKind::Folder));
    status.items.AppendTree(headless);  // a head that is not a root item
    AddSource(status.items, L"x.txt", {{L"x.txt", 7, CopyItemKind::File}});

    CHECK_EQ(ReadStops(status), std::string("S/#1, S\\a/#1, S\\b#2, S\\a\\c#2, x.txt#2"));

    status.BeginRead(kDestination);
    CHECK_EQ(status.readCursor.TreeIndex(), size_t(0));
    CHECK_EQ(status.readCursor.RootDestinationPath(), std::wstring(L"D:\\dst\\S"));
    for (int i = 0; i < 4; ++i) status.AdvanceRead();
    CHECK_EQ(status.readCursor.TreeIndex(), size_t(3));
    CHECK_EQ(status.readCursor.RootDestinationPath(), std::wstring(L"D:\\dst\\x.txt"));
    status.AdvanceRead();
    CHECK_EQ(status.readCursor.State(), int32_t(SluiceStatusItemInfo::Done));
    CHECK_EQ(status.readCursor.TreeIndex(), SluiceStatusItemInfo::NoTree);
    CHECK(status.readCursor.Kind() == CopyItemKind::None);
    CHECK_EQ(status.readCursor.ItemSourcePath(), std::wstring());
    CHECK_EQ(status.readCursor.ItemDestinationPath(), std::wstring());
    CHECK_EQ(status.readCursor.ItemsDone(), uint64_t(5));
    // Stepping a finished cursor changes nothing.
    status.AdvanceRead();
    CHECK_EQ(status.readCursor.ItemsDone(), uint64_t(5));

    SluiceStatus empty;
    empty.BeginRead(kDestination);
    empty.BeginWrite(kDestination);
    CHECK_EQ(empty.readCursor.State(), int32_t(SluiceStatusItemInfo::Done));
    CHECK_EQ(empty.writeCursor.State(), int32_t(SluiceStatusItemInfo::Done));
    CHECK(!empty.IsWriteSkippable());
}

TEST_CASE("item paths: a stream joins its file without a backslash, the destination side starts at the root's name") {
    SluiceStatus status;
    AddSource(status.items, L"S",
              {{L"S", 0, CopyItemKind::Folder},
               {L"S\\d", 0, CopyItemKind::Folder},
               {L"S\\d\\f.txt", 4, CopyItemKind::File},
               {L"S\\d\\f.txt:s1:$DATA", 2, CopyItemKind::Stream}});
    AddSource(status.items, L"x.txt", {{L"x.txt", 1, CopyItemKind::File}, {L"x.txt:s:$DATA", 1, CopyItemKind::Stream}});
    struct Row {
        const wchar_t* destinationFolder;
        std::vector<std::pair<std::wstring, std::wstring>> stops;  // source, destination
    } rows[] = {
        {L"D:\\dst",
         {{L"C:\\q\\S", L"D:\\dst\\S"},
          {L"C:\\q\\S\\d", L"D:\\dst\\S\\d"},
          {L"C:\\q\\S\\d\\f.txt", L"D:\\dst\\S\\d\\f.txt"},
          {L"C:\\q\\S\\d\\f.txt:s1:$DATA", L"D:\\dst\\S\\d\\f.txt:s1:$DATA"},
          {L"C:\\q\\x.txt", L"D:\\dst\\x.txt"},
          {L"C:\\q\\x.txt:s:$DATA", L"D:\\dst\\x.txt:s:$DATA"}}},
        {L"D:\\",
         {{L"C:\\q\\S", L"D:\\S"},
          {L"C:\\q\\S\\d", L"D:\\S\\d"},
          {L"C:\\q\\S\\d\\f.txt", L"D:\\S\\d\\f.txt"},
          {L"C:\\q\\S\\d\\f.txt:s1:$DATA", L"D:\\S\\d\\f.txt:s1:$DATA"},
          {L"C:\\q\\x.txt", L"D:\\x.txt"},
          {L"C:\\q\\x.txt:s:$DATA", L"D:\\x.txt:s:$DATA"}}},
    };
    for (const Row& row : rows) {
        CONTEXT(Utf8(row.destinationFolder));
        status.BeginRead(row.destinationFolder);
        status.BeginWrite(row.destinationFolder);
        for (const auto& [source, destination] : row.stops) {
            CONTEXT(Utf8(source));
            REQUIRE(status.readCursor.IsWalking() && status.writeCursor.IsWalking());
            CHECK_EQ(status.readCursor.ItemSourcePath(), source);
            CHECK_EQ(status.readCursor.ItemDestinationPath(), destination);
            CHECK_EQ(status.writeCursor.ItemSourcePath(), source);
            CHECK_EQ(status.writeCursor.ItemDestinationPath(), destination);
            CHECK_EQ(status.writeCursor.DestinationFolder(), std::wstring(row.destinationFolder));
            status.AdvanceRead();
            status.AdvanceWrite();
        }
        CHECK(!status.readCursor.IsWalking());
    }
}

TEST_CASE("a source copied into its own folder goes to a new name that does not exist yet") {
    TempDir dir;
    MakeDir(dir / L"S");
    WriteBytes(dir / L"S\\in.txt", "x");
    WriteBytes(dir / L"n.txt", "y");
    MakeDir(dir / L"T");
    MakeDir(dir / L"T - コピー");
    struct Row {
        const wchar_t* source;
        int64_t size;
        CopyItemKind kind;
        const wchar_t* expected;
    } rows[] = {
        {L"S", 0, CopyItemKind::Folder, L"S - コピー"},
        {L"n.txt", 1, CopyItemKind::File, L"n - コピー.txt"},
        {L"T", 0, CopyItemKind::Folder, L"T - コピー (2)"},
    };
    for (const Row& row : rows) {
        CONTEXT(Utf8(row.source));
        SluiceStatus status;
        status.items.AddRoot(dir / row.source);
        REQUIRE(status.items.AddItem(CopyItemData(dir / row.source, row.size, row.kind)));
        status.BeginRead(dir.path());
        status.BeginWrite(dir.path());
        CHECK_EQ(status.readCursor.RootDestinationPath(), dir / row.expected);
        CHECK_EQ(status.writeCursor.ItemDestinationPath(), dir / row.expected);
        CHECK_EQ(status.readCursor.ItemSourcePath(), dir / row.source);
    }
}

TEST_CASE("MarkItemFlags sets bits on the item alone or on its whole subtree") {
    SluiceStatus status;
    AddSource(status.items, L"S", MoveOfS());
    CopyItemTree& t = status.items.Tree(0);
    SluiceStatus::MarkItemFlags(At(t, 5), CopyItemFlags::Skip, true);               // a and below
    SluiceStatus::MarkItemFlags(At(t, 2), CopyItemFlags::EncryptionLossApproved, false);  // b only
    SluiceStatus::MarkItemFlags(CopyItemTree::iterator(), CopyItemFlags::Skip, true);     // nothing there
    const int32_t expected[] = {0, 0, 0x40, 0, 0, 0x10, 0x10, 0x10, 0x10, 0};
    for (int i = 0; i < 10; ++i) {
        CONTEXT("node " + std::to_string(i));
        CHECK_EQ(At(t, i)->Flags(), expected[i]);
    }
}

TEST_CASE("a read cursor made equal to the write cursor resumes from the writer's item") {
    SluiceStatus status;
    status.foldersFirst = 1;
    AddSource(status.items, L"S", MoveOfS());
    status.BeginRead(kDestination);
    while (status.readCursor.IsWalking()) status.AdvanceRead();
    status.BeginWrite(kDestination);
    while (status.writeCursor.Node()->path != L"b") status.AdvanceWrite();

    // What the hand-over to an elevated instance does, before the reader goes on.
    status.readCursor = status.writeCursor;
    status.SkipToReadable();
    CHECK_EQ(Label(status.readCursor), std::string("S\\b#2"));
    CHECK_EQ(status.readCursor.ItemsDone(), status.writeCursor.ItemsDone());
    CHECK_EQ(status.readCursor.RootDestinationPath(), status.writeCursor.RootDestinationPath());
    status.AdvanceRead();
    CHECK_EQ(Label(status.readCursor), std::string("S\\b:s:$DATA#2"));
    // The copy is independent: the writer has not moved.
    CHECK_EQ(Label(status.writeCursor), std::string("S\\b#2"));
}

TEST_CASE("Reset empties the status and puts both cursors back to not started") {
    SluiceStatus status;
    status.foldersFirst = 1;
    status.encryptionSupported = 1;
    AddSource(status.items, L"S", CopyOfS());
    status.BeginRead(kDestination);
    status.AdvanceRead();
    status.BeginWrite(kDestination);
    status.Reset();
    CHECK_EQ(status.foldersFirst, 0);
    CHECK_EQ(status.encryptionSupported, 0);
    CHECK_EQ(status.items.TreeCount(), size_t(0));
    CHECK_EQ(status.items.itemCount, int64_t(0));
    for (const SluiceStatusItemInfo* cursor : {&status.readCursor, &status.writeCursor}) {
        CHECK_EQ(cursor->State(), int32_t(SluiceStatusItemInfo::NotStarted));
        CHECK(cursor->Node().node() == nullptr);
        CHECK_EQ(cursor->TreeIndex(), SluiceStatusItemInfo::NoTree);
        CHECK_EQ(cursor->ItemsDone(), uint64_t(0));
        CHECK_EQ(cursor->DestinationFolder(), std::wstring());
    }
}
