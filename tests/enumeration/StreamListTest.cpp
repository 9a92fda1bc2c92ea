// The data streams of a file. Wine has no backup interface (BackupRead fails with 50) and
// no named streams, so the parsing of the backup stream is fed recorded bytes through
// IBackupStream, and the stream items are walked into trees of real folders through the
// same seam.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "EnumerateSources.h"
#include "EnumerationChecks.h"
#include "FindCopyItem.h"
#include "IBackupStream.h"
#include "ReadStreamList.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "Volumes.h"

using namespace enumtest;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::FindCopyItem;
using Marlin::Sluice::NTFSDataStream::BackupStreamOpener;
using Marlin::Sluice::NTFSDataStream::IBackupStream;
using Marlin::Sluice::NTFSDataStream::ReadStreamList;
using Marlin::Sluice::NTFSDataStream::StreamData;
using quaytest::TempDir;

namespace {

std::string Hex(const char* text) {
    std::string out;
    for (const char* p = text; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
        p += 2;
    }
    return out;
}

std::string Utf16(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
    }
    return out;
}

void PutLittleEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One stream as BackupRead delivers it: the 20-byte header (identifier, attributes, 64-bit
// size, name size in bytes), the name, then size bytes of data.
struct Recorded {
    std::string head;   // header and name
    uint64_t dataSize;  // the data, which the parser must skip, not read
};

Recorded Stream(uint32_t id, uint64_t size, const std::wstring& name = L"") {
    std::string head;
    PutLittleEndian(head, id, 4);
    PutLittleEndian(head, 0, 4);
    PutLittleEndian(head, size, 8);
    PutLittleEndian(head, name.size() * 2, 4);
    return {head + Utf16(name), size};
}

// Replays recorded streams like BackupRead and BackupSeek do: reads hand out the header and
// name bytes (at most chunk bytes per call), a seek moves only through the current stream's
// data and fails when asked for more than is left of it.
class RecordedBackupStream : public IBackupStream {
public:
    explicit RecordedBackupStream(std::vector<Recorded> streams, uint32_t chunk = 0)
        : streams_(std::move(streams)), chunk_(chunk) {
        Enter(0);
    }

    bool Read(void* buffer, uint32_t size, uint32_t& read) override {
        read = 0;
        while (index_ < streams_.size() && offset_ == streams_[index_].head.size() && dataLeft_ == 0) Enter(index_ + 1);
        if (index_ == streams_.size()) return true;
        const std::string& head = streams_[index_].head;
        uint64_t n;
        if (offset_ < head.size()) {
            n = std::min<uint64_t>(size, head.size() - offset_);
            if (chunk_) n = std::min<uint64_t>(n, chunk_);
            std::memcpy(buffer, head.data() + offset_, n);
            offset_ += n;
        } else {
            // Reading data instead of skipping it: hand out zeros, which no header survives.
            n = std::min<uint64_t>(size, dataLeft_);
            std::memset(buffer, 0, n);
            dataLeft_ -= n;
        }
        read = static_cast<uint32_t>(n);
        return true;
    }

    bool Seek(uint64_t size) override {
        if (index_ == streams_.size() || offset_ < streams_[index_].head.size()) return false;
        const uint64_t n = std::min(size, dataLeft_);
        dataLeft_ -= n;
        return n == size;
    }

    bool AtEnd() const {
        return index_ == streams_.size() ||
               (index_ + 1 == streams_.size() && offset_ == streams_[index_].head.size() && dataLeft_ == 0);
    }

private:
    void Enter(size_t index) {
        index_ = index;
        offset_ = 0;
        dataLeft_ = index < streams_.size() ? streams_[index].dataSize : 0;
    }

    std::vector<Recorded> streams_;
    uint32_t chunk_;
    size_t index_ = 0;
    size_t offset_ = 0;
    uint64_t dataLeft_ = 0;
};

std::string Show(const std::vector<StreamData>& list) {
    std::string out;
    for (const StreamData& s : list) out += quaytest::Utf8(s.name) + " " + std::to_string(s.size) + "\n";
    return out;
}

// Recorded from a file of 11 bytes with the named streams s1 (5 bytes) and s2 (empty).
std::vector<Recorded> FileWithTwoNamedStreams() {
    return {
        {Hex("01000000 00000000 0B00000000000000 00000000"), 11},
        {Hex("04000000 00000000 0500000000000000 12000000") + Utf16(L":s1:$DATA"), 5},
        {Hex("04000000 00000000 0000000000000000 12000000") + Utf16(L":s2:$DATA"), 0},
    };
}

const std::string kTwoNamedStreams = "::$DATA 11\n:s1:$DATA 5\n:s2:$DATA 0\n";

}  // namespace

TEST_CASE("the backup stream of a file gives its default stream and each named stream with its size") {
    const std::wstring longName = L":" + std::wstring(700, L'L') + L":$DATA";
    struct Row {
        const char* what;
        std::vector<Recorded> streams;
        uint32_t chunk;
        std::string expected;
        bool consumed;  // every byte read or skipped, none left over
    } rows[] = {
        {"two named streams and the default stream", FileWithTwoNamedStreams(), 0, kTwoNamedStreams, true},
        {"the same handed over in 7-byte pieces", FileWithTwoNamedStreams(), 7, kTwoNamedStreams, true},
        {"a name longer than the name buffer, between short ones",
         {Stream(BACKUP_DATA, 1), Stream(BACKUP_ALTERNATE_DATA, 2, L":a:$DATA"), Stream(BACKUP_ALTERNATE_DATA, 3, longName),
          Stream(BACKUP_ALTERNATE_DATA, 4, L":b:$DATA")},
         0, "::$DATA 1\n:a:$DATA 2\n" + quaytest::Utf8(longName) + " 3\n:b:$DATA 4\n", true},
        {"a size with a high half",
         {Stream(BACKUP_DATA, (uint64_t{3} << 32) + 1), Stream(BACKUP_ALTERNATE_DATA, uint64_t{1} << 33, L":big:$DATA")},
         0, "::$DATA 12884901889\n:big:$DATA 8589934592\n", true},
        {"unnamed streams other than the data are skipped with their data",
         {Stream(BACKUP_EA_DATA, 40), Stream(BACKUP_DATA, 6), Stream(BACKUP_SPARSE_BLOCK, 24),
          Stream(BACKUP_ALTERNATE_DATA, 9, L":z:$DATA")},
         0, "::$DATA 6\n:z:$DATA 9\n", true},
        {"a header cut short ends the list after the complete streams",
         {Stream(BACKUP_DATA, 2), Stream(BACKUP_ALTERNATE_DATA, 1, L":s1:$DATA"),
          {Stream(BACKUP_ALTERNATE_DATA, 1, L":s2:$DATA").head.substr(0, 11), 0}},
         0, "::$DATA 2\n:s1:$DATA 1\n", true},
        {"a name cut short is not listed",
         {Stream(BACKUP_DATA, 2), {Stream(BACKUP_ALTERNATE_DATA, 1, L":s1:$DATA").head.substr(0, 26), 0}},
         0, "::$DATA 2\n", true},
        {"data shorter than its header says ends the list",
         {{Stream(BACKUP_DATA, 100).head, 10}, Stream(BACKUP_ALTERNATE_DATA, 1, L":s1:$DATA")}, 0, "::$DATA 100\n", false},
        {"nothing at all", {}, 0, "", true},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        RecordedBackupStream stream(row.streams, row.chunk);
        std::vector<StreamData> list = {StreamData(L":stale:$DATA", 1)};
        CHECK_EQ(ReadStreamList(stream, list), !row.expected.empty());
        CHECK_EQ(Show(list), row.expected);
        if (row.consumed) CHECK(stream.AtEnd());
    }
}

TEST_CASE("through the platform, a file Wine cannot back up and a missing file give no streams") {
    TempDir dir;
    quaytest::WriteBytes(dir / L"plain.txt", "plain");
    for (const std::wstring& file : {dir / L"plain.txt", dir / L"missing.txt"}) {
        CONTEXT(quaytest::Utf8(file));
        std::vector<StreamData> list = {StreamData(L":stale:$DATA", 1)};
        CHECK(!ReadStreamList(L"\\\\?\\" + file, list));
        CHECK(list.empty());
    }
    // The file was let go: it can be opened without sharing again.
    Marlin::FileHandle again(CreateFileW((dir / L"plain.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    CHECK(again.valid());
}

namespace {

// Recordings by file name; every file asked for is noted with the path it was opened by.
struct RecordedVolume {
    std::map<std::wstring, std::vector<Recorded>> files;
    std::vector<std::wstring> opened;

    BackupStreamOpener Opener() {
        return [this](const std::wstring& path) -> std::unique_ptr<IBackupStream> {
            opened.push_back(path);
            auto it = files.find(path.substr(path.find_last_of(L'\\') + 1));
            if (it == files.end()) return nullptr;  // as when the file cannot be opened
            return std::make_unique<RecordedBackupStream>(it->second);
        };
    }
};

}  // namespace

TEST_CASE("named streams become Stream items under their file, before a moved file's DeleteFile") {
    TempDir dir;
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"a.txt", std::string(11, 'a')}, {L"d\\", ""}, {L"d\\b.bin", "bb"}});
    RecordedVolume volume;
    volume.files[L"a.txt"] = FileWithTwoNamedStreams();
    volume.files[L"b.bin"] = {Stream(BACKUP_DATA, 2)};

    struct Row {
        bool move;
        std::string picture;
        Counters counters;
    } rows[] = {
        {false,
         Lines({"Root", "  Folder \"\"", "    File \"a.txt\" 11", "      Stream \":s1:$DATA\" 5", "      Stream \":s2:$DATA\" 0",
                "    Folder \"d\"", "      File \"b.bin\" 2"}),
         // src, a.txt, two streams, d, b.bin; the empty stream weighs 512
         {6, 2, 2, 2, 0, 0, 18, 11 + 5 + 512 + 2, 11}},
        {true,
         Lines({"Root", "  Folder \"\"", "    File \"a.txt\" 11", "      Stream \":s1:$DATA\" 5", "      Stream \":s2:$DATA\" 0",
                "      DeleteFile \"\"", "    Folder \"d\"", "      File \"b.bin\" 2", "        DeleteFile \"\"",
                "      RemoveFolder \"\"", "    RemoveFolder \"\""}),
         {10, 2, 2, 2, 2, 2, 18, 530, 11}},
    };
    for (const Row& row : rows) {
        CONTEXT(row.move ? "move" : "copy");
        volume.opened.clear();
        CopyItemsData items;
        items.AddRoot(src);
        FindCopyItem find(volume.Opener());
        REQUIRE(find.Run(src, true, row.move, items));
        CHECK_EQ(Picture(items.Tree(0)), row.picture);
        CheckCounters(items, row.counters);
        CheckAgainstDisk(items.Tree(0));
        // Files only, each once, by the long path form.
        const std::vector<std::wstring> opened = {L"\\\\?\\" + src + L"\\a.txt", L"\\\\?\\" + src + L"\\d\\b.bin"};
        CHECK(volume.opened == opened);
    }

    // The full path of a stream node is its file's path followed by the stream name.
    CopyItemsData items;
    items.AddRoot(src);
    FindCopyItem find(volume.Opener());
    REQUIRE(find.Run(src, true, false, items));
    auto it = items.Tree(0).begin();
    while (it != items.Tree(0).end() && it->path != L":s1:$DATA") ++it;
    REQUIRE(it != items.Tree(0).end());
    CHECK_EQ(CopyItemsData::SourcePath(it), src + L"\\a.txt:s1:$DATA");
}

TEST_CASE("a file given as the source has its streams right below it") {
    TempDir dir;
    const std::wstring file = dir / L"a.txt";
    quaytest::WriteBytes(file, std::string(11, 'a'));
    RecordedVolume volume;
    volume.files[L"a.txt"] = FileWithTwoNamedStreams();
    CopyItemsData items;
    items.AddRoot(file);
    FindCopyItem find(volume.Opener());
    REQUIRE(find.Run(file, true, true, items));
    CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  File \"\" 11", "    Stream \":s1:$DATA\" 5",
                                            "    Stream \":s2:$DATA\" 0", "    DeleteFile \"\""}));
}

TEST_CASE("streams are not listed where the volumes do not support them, so no file is opened for them") {
    TempDir dir;
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"a.txt", std::string(11, 'a')}});
    // Wine's volumes report no named streams; on Windows this test would need a FAT volume.
    REQUIRE(!Marlin::SupportsNamedStreams(src));
    RecordedVolume volume;
    volume.files[L"a.txt"] = FileWithTwoNamedStreams();
    CopyItemsData items;
    REQUIRE(Marlin::Sluice::EnumerateSources({src}, dir / L"dest", false, items, volume.Opener()));
    CHECK_EQ(Picture(items.Tree(0)), Lines({"Root", "  Folder \"\"", "    File \"a.txt\" 11"}));
    CHECK(volume.opened.empty());
}
