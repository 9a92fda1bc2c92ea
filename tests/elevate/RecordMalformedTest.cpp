// The elevation pipe's record readers on bytes they must refuse: every form named as
// malformed, and every well-formed record cut short at each length. A refused record
// changes nothing it was given and leaves nothing allocated behind (every allocation of
// the program is counted, so a half-read exception or tree that is not freed shows).
// Platform-free, so it runs natively under the sanitizers too.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "HexBytes.h"
#include "RecordFixtures.h"
#include "SluiceCoreDisplayStatusRecord.h"
#include "SluiceExceptionRetryFile.h"
#include "SluiceOptionRecord.h"
#include "SluiceStatusRecord.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

namespace {
std::atomic<long> liveAllocations{0};
}

void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    ++liveAllocations;
    return p;
}
// GCC takes the free below for a mismatch, but this is the replacement of delete itself.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept {
    if (!p) return;
    --liveAllocations;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

using Marlin::CDataConverter;
using Marlin::CDataParser;
using Marlin::SluiceCoreDisplayStatusRecord;
using Marlin::SluiceOptionRecord;
using Marlin::SluiceStatusRecord;
using namespace Marlin::Sluice;
using namespace elevatetest;
using Bytes = std::vector<uint8_t>;

namespace {

void PutLE(Bytes& b, size_t at, uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// One reader on exact bytes: whether it accepted them, and how many allocations it left.
struct Outcome {
    bool accepted;
    long leftAllocated;
};

using Reader = std::function<bool(const Bytes&)>;

Outcome Run(const Reader& read, const Bytes& bytes) {
    Bytes exact(bytes);
    exact.shrink_to_fit();
    const long before = liveAllocations.load();
    const bool accepted = read(exact);
    return {accepted, liveAllocations.load() - before};
}

// Readers that keep nothing: what they read is destroyed before they return.
bool ReadDisplayStatus(const Bytes& b) {
    CDataParser in(b.data(), b.size());
    SluiceCoreDisplayStatus status;
    return SluiceCoreDisplayStatusRecord::Get(in, status) && in.AtEnd();
}
bool ReadStatus(const Bytes& b) {
    CDataParser in(b.data(), b.size());
    SluiceStatusRecord status;
    return status.Get(in) && in.AtEnd();
}
bool ReadOption(const Bytes& b) {
    CDataParser in(b.data(), b.size());
    SluiceOption option;
    return SluiceOptionRecord::Get(in, option) && in.AtEnd();
}

Bytes DisplayStatusWith(const Marlin::Exception* e) {
    SluiceCoreDisplayStatus status = ExampleDisplayStatus();
    status.SetException(const_cast<Marlin::Exception*>(e));
    CDataConverter out;
    SluiceCoreDisplayStatusRecord::Put(out, status);
    status.SetException(nullptr);
    return out.Buffer();
}

Bytes ExampleStatus() {
    CopyItemsData items;
    items.AppendTree(ExampleTree());
    items.AppendTree(ExampleTree());
    items.itemCount = 6;
    SluiceStatusRecord::Cursor read;
    read.tree = 1;
    read.node = ++items.Tree(1).begin();
    read.state = SluiceStatusItemInfo::Walking;
    read.phase = SluiceStatusItemInfo::SinglePass;
    SluiceStatusRecord::Cursor write = read;
    write.tree = 0;
    write.node = items.Tree(0).end();
    write.state = SluiceStatusItemInfo::Stopped;
    CDataConverter out;
    SluiceStatusRecord::Put(out, 0, 1, items, read, write);
    return out.Buffer();
}

// Where the parts of ExampleStatus begin.
constexpr size_t kNodeSize = 8 + 8 + 8 + 2 + 8 + 4 + 4;            // a one-letter path
constexpr size_t kFirstTree = 4 + 4 + 8;                           // after the flags and the list count
constexpr size_t kSecondNode = kFirstTree + 8 + kNodeSize;         // node 1 of the first tree
constexpr size_t kTreeSize = 8 + 4 * kNodeSize;
constexpr size_t kReadCursor = kFirstTree + 2 * kTreeSize + 9 * 8;

Bytes DisplayStatusWithRetry() {
    Marlin::WindowsFileException inner(5, L"D:\\x");
    SluiceExceptionRetryFile retry;
    retry.BorrowInner(&inner);
    return DisplayStatusWith(&retry);
}

Bytes OptionRecord() {
    CDataConverter out;
    SluiceOptionRecord::Put(out, ExampleOption());
    return out.Buffer();
}

// One well-formed record of each kind, with its reader.
struct WellFormed {
    const char* what;
    Reader read;
    Bytes bytes;
};

std::vector<WellFormed> WellFormedRecords() {
    return {
        {"display status with a retry question", &ReadDisplayStatus, DisplayStatusWithRetry()},
        {"status of two trees", &ReadStatus, ExampleStatus()},
        {"option", &ReadOption, OptionRecord()},
    };
}

}  // namespace

TEST_CASE("well-formed records are accepted and leave nothing allocated once dropped") {
    // The count sees this program's allocations, or every check of it below would be empty.
    {
        const long before = liveAllocations.load();
        auto held = std::make_unique<std::wstring>(L"counted");
        REQUIRE(liveAllocations.load() > before);
    }
    for (const WellFormed& row : WellFormedRecords()) {
        CONTEXT(row.what);
        const Outcome o = Run(row.read, row.bytes);
        CHECK(o.accepted);
        CHECK_EQ(o.leftAllocated, 0L);
    }
}

TEST_CASE("the malformed forms fail the read and leave nothing allocated") {
    const Bytes withRetry = DisplayStatusWithRetry();
    const Bytes plain = DisplayStatusWith(nullptr);
    const Bytes status = ExampleStatus();
    // The retry form ends with: inner tag, message, code, error, path "D:\x" (8 + 8 bytes).
    const size_t innerTagAt = withRetry.size() - (4 + 8 + 4 + 4 + 8 + 8);

    struct Row {
        const char* what;
        Reader read;
        Bytes bytes;
        size_t at;
        uint64_t value;
        size_t width;
    } rows[] = {
        {"exception tag 9", &ReadDisplayStatus, plain, plain.size() - 4, 9, 4},
        {"exception tag -1", &ReadDisplayStatus, plain, plain.size() - 4, 0xFFFFFFFF, 4},
        {"inner tag 1", &ReadDisplayStatus, withRetry, innerTagAt, 1, 4},
        {"inner tag 2", &ReadDisplayStatus, withRetry, innerTagAt, 2, 4},
        {"inner tag 8", &ReadDisplayStatus, withRetry, innerTagAt, 8, 4},
        {"a parent index that names no node read so far", &ReadStatus, status, kSecondNode + 8, 7, 8},
        {"a parent index that names the node itself", &ReadStatus, status, kSecondNode + 8, 1, 8},
        {"a tree index past the list", &ReadStatus, status, kReadCursor, 2, 8},
        {"a tree index below -1", &ReadStatus, status, kReadCursor, 0xFFFFFFFFFFFFFFFEull, 8},
        {"an item kind the engine does not know", &ReadStatus, status, kSecondNode + 8 + 8 + 8 + 2 + 8, 7, 4},
        {"a cursor state the engine does not know", &ReadStatus, status, kReadCursor + 16, 4, 4},
        {"a cursor phase the engine does not know", &ReadStatus, status, kReadCursor + 20, 4, 4},
        {"a walking cursor at no tree", &ReadStatus, status, kReadCursor, ~0ull, 8},
        {"a walking cursor without a node", &ReadStatus, status, kReadCursor + 8, ~0ull, 8},
        {"a walking cursor at its tree's end", &ReadStatus, status, kReadCursor + 8, 4, 8},
        {"a tree count beyond the bytes", &ReadStatus, status, kFirstTree - 8, 1ull << 40, 8},
        {"a node count beyond the bytes", &ReadStatus, status, kFirstTree, 1u << 20, 8},
        {"a lap count beyond the bytes", &ReadDisplayStatus, plain, plain.size() - 4 - 24, 2, 8},
    };
    for (Row& row : rows) {
        CONTEXT(row.what);
        PutLE(row.bytes, row.at, row.value, row.width);
        const Outcome o = Run(row.read, row.bytes);
        CHECK(!o.accepted);
        CHECK_EQ(o.leftAllocated, 0L);
    }
}

TEST_CASE("every record cut short at any length fails the read and leaves nothing allocated") {
    for (const WellFormed& row : WellFormedRecords()) {
        CONTEXT(row.what);
        for (size_t length = 0; length < row.bytes.size(); ++length) {
            const Outcome o = Run(row.read, Bytes(row.bytes.begin(), row.bytes.begin() + static_cast<long>(length)));
            if (o.accepted || o.leftAllocated != 0) {
                CHECK(!o.accepted);
                CHECK_EQ(o.leftAllocated, 0L);
                FAIL("cut at " + std::to_string(length));
            }
        }
    }
}

TEST_CASE("a refused record leaves what it was given as it was") {
    SluiceCoreDisplayStatus status = ExampleDisplayStatus();
    Bytes bad = DisplayStatusWith(nullptr);
    PutLE(bad, bad.size() - 4, 9, 4);
    CDataParser in(bad.data(), bad.size());
    SluiceCoreDisplayStatus target = ExampleDisplayStatus();
    target.readingPath = L"kept";
    CHECK(!SluiceCoreDisplayStatusRecord::Get(in, target));
    CHECK_EQ(target.readingPath, std::wstring(L"kept"));
    CHECK_EQ(in.Remaining(), bad.size());

    Bytes badStatus = ExampleStatus();
    PutLE(badStatus, kReadCursor, 5, 8);
    CDataParser statusIn(badStatus.data(), badStatus.size());
    SluiceStatusRecord record;
    record.foldersFirst = 7;
    CHECK(!record.Get(statusIn));
    CHECK_EQ(record.foldersFirst, 7);
    CHECK_EQ(record.items.TreeCount(), size_t{0});
}
