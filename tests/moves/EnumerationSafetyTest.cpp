// What a move may delete, decided while its sources are listed, where Wine cannot make the
// case: a folder that carries the reparse-point attribute (a junction or directory link on
// Windows; Wine shows Linux links as plain folders) and a file whose named streams cannot
// be listed (Wine has no backup interface). Both come through the enumeration's seams onto
// real folders.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "EnumerationChecks.h"
#include "FindCopyItem.h"
#include "FolderFacts.h"
#include "IBackupStream.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace enumtest;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::FindCopyItem;
using Marlin::Sluice::FolderFacts;
using Marlin::Sluice::FolderInspector;
using Marlin::Sluice::NTFSDataStream::BackupStreamOpener;
using Marlin::Sluice::NTFSDataStream::IBackupStream;
using quaytest::TempDir;

namespace {

// The real inspection, with the reparse-point attribute added to the folders named.
FolderInspector LinksAt(std::vector<std::wstring> links) {
    return [links](const std::wstring& path) {
        FolderFacts facts = Marlin::Sluice::InspectFolder(path);
        for (const std::wstring& link : links)
            if (path == link) facts.link = true;
        return facts;
    };
}

// A backup stream of one default stream of `size` bytes; with failAfterHeader the read
// after the header fails, as on a device that goes away while it is read.
class OneStream : public IBackupStream {
public:
    OneStream(uint32_t size, bool failAfterHeader) : size_(size), failAfterHeader_(failAfterHeader) {}
    bool Read(void* buffer, uint32_t size, uint32_t& read) override {
        read = 0;
        if (sent_) {
            if (failAfterHeader_) {
                SetLastError(ERROR_DEV_NOT_EXIST);
                return false;
            }
            return true;  // the end
        }
        unsigned char header[20] = {1};  // BACKUP_DATA, no name
        for (int i = 0; i < 4; ++i) header[8 + i] = static_cast<unsigned char>(size_ >> (8 * i));
        const uint32_t n = size < sizeof header ? size : sizeof header;
        std::memcpy(buffer, header, n);
        read = n;
        sent_ = true;
        return true;
    }
    bool Seek(uint64_t) override { return true; }

private:
    uint32_t size_;
    bool failAfterHeader_;
    bool sent_ = false;
};

// One line per item, "Kind path" with the path below the source (markers name their file
// or folder), sorted: a listing's order is the file system's, and the tree's shape shows
// in the paths.
std::string Items(const CopyItemsData& items) {
    const auto& t = items.Tree(0);
    const std::wstring head = t.begin()->path;
    std::vector<std::string> lines;
    for (auto it = t.begin(); it != t.end(); ++it) {
        if (it->kind == CopyItemKind::Root) continue;
        const std::wstring path = CopyItemsData::SourcePath(it).substr(head.size());
        lines.push_back(std::string(KindName(it->kind)) + " " + quaytest::Utf8(path.empty() ? L"." : path) +
                        (it->HasFlags(Marlin::Sluice::CopyItemFlags::Skip) ? " (skipped)" : ""));
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& l : lines) out += l + '\n';
    return out;
}

}  // namespace

TEST_CASE("a move copies what a link shows but deletes nothing below it; only the link itself is removed") {
    TempDir dir;
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"a.txt", "a"}, {L"link\\", ""}, {L"link\\x.txt", "x"}, {L"link\\inner\\", ""},
                      {L"link\\inner\\y.txt", "y"}, {L"plain\\", ""}, {L"plain\\z.txt", "z"}});
    struct Row {
        const char* what;
        std::wstring source;
        std::vector<std::wstring> links;
        bool move;
        std::string picture;  // Items()
    } rows[] = {
        {"a link among the entries, moved", src, {src + L"\\link"}, true,
         Lines({"DeleteFile \\a.txt", "DeleteFile \\plain\\z.txt", "File \\a.txt", "File \\link\\inner\\y.txt",
                "File \\link\\x.txt", "File \\plain\\z.txt", "Folder .", "Folder \\link", "Folder \\link\\inner",
                "Folder \\plain", "RemoveFolder .", "RemoveFolder \\link", "RemoveFolder \\plain"})},
        {"a link among the entries, copied", src, {src + L"\\link"}, false,
         Lines({"File \\a.txt", "File \\link\\inner\\y.txt", "File \\link\\x.txt", "File \\plain\\z.txt",
                "Folder .", "Folder \\link", "Folder \\link\\inner", "Folder \\plain"})},
        {"the source itself a link, moved", src + L"\\link", {src + L"\\link"}, true,
         Lines({"File \\inner\\y.txt", "File \\x.txt", "Folder .", "Folder \\inner", "RemoveFolder ."})},
        {"a link inside a link, moved", src + L"\\link", {src + L"\\link", src + L"\\link\\inner"}, true,
         Lines({"File \\inner\\y.txt", "File \\x.txt", "Folder .", "Folder \\inner", "RemoveFolder ."})},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CopyItemsData items;
        items.AddRoot(row.source);
        FindCopyItem::Calls calls;
        calls.inspect = LinksAt(row.links);
        FindCopyItem find(calls);
        REQUIRE(find.Run(row.source, false, row.move, items));
        CHECK_EQ(Items(items), row.picture);
        CheckAgainstDisk(items.Tree(0));
    }
}

TEST_CASE("a file whose streams cannot be listed is asked about; skipped, it is left out and a move keeps it") {
    TempDir dir;
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"fine.txt", "fine"}, {L"locked.txt", "locked"}, {L"gone.txt", "gone"}});
    // fine.txt lists its one default stream; locked.txt cannot be opened for its streams;
    // gone.txt fails half-way through its list.
    const BackupStreamOpener open = [&](const std::wstring& path) -> std::unique_ptr<IBackupStream> {
        const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
        if (name == L"locked.txt") {
            SetLastError(ERROR_SHARING_VIOLATION);
            return nullptr;
        }
        return std::make_unique<OneStream>(4, name == L"gone.txt");
    };
    for (bool move : {true, false}) {
        CONTEXT(move ? "move" : "copy");
        std::vector<std::pair<std::wstring, uint32_t>> asked;
        FindCopyItem::Calls calls;
        calls.open = open;
        calls.question = [&](const Marlin::WindowsFileException& failure) {
            asked.emplace_back(failure.path, failure.error);
            return FindCopyItem::ListingAnswer::Skip;
        };
        CopyItemsData items;
        items.AddRoot(src);
        FindCopyItem find(calls);
        REQUIRE(find.Run(src, true, move, items));
        // The two are in the tree, skipped, and without DeleteFile markers.
        const std::string picture =
            move ? Lines({"DeleteFile \\fine.txt", "File \\fine.txt", "File \\gone.txt (skipped)",
                          "File \\locked.txt (skipped)", "Folder .", "RemoveFolder ."})
                 : Lines({"File \\fine.txt", "File \\gone.txt (skipped)", "File \\locked.txt (skipped)", "Folder ."});
        CHECK_EQ(Items(items), picture);
        // Sorted by path: they come in the order of the listing.
        std::sort(asked.begin(), asked.end());
        REQUIRE_EQ(asked.size(), size_t{2});
        CHECK_EQ(asked[0].first, src + L"\\gone.txt");
        CHECK_EQ(asked[0].second, uint32_t{ERROR_DEV_NOT_EXIST});
        CHECK_EQ(asked[1].first, src + L"\\locked.txt");
        CHECK_EQ(asked[1].second, uint32_t{ERROR_SHARING_VIOLATION});
    }

    // With nobody to ask, the walk fails rather than lose the streams.
    CopyItemsData items;
    items.AddRoot(src);
    FindCopyItem::Calls calls;
    calls.open = open;
    FindCopyItem find(calls);
    CHECK(!find.Run(src, true, true, items));
}
