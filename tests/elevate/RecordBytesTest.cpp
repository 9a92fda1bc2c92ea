// The elevation pipe's records byte for byte: the documented examples, and every
// exception form written and read back as the class it was. Platform-free, so it runs
// natively under the sanitizers too.
#include <cstdint>
#include <cstring>
#include <typeinfo>
#include <memory>
#include <string>
#include <vector>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "HexBytes.h"
#include "RecordFixtures.h"
#include "SluiceCoreDisplayStatusRecord.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "SluiceOptionRecord.h"
#include "SluiceStatusRecord.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using Marlin::CDataConverter;
using Marlin::CDataParser;
using Marlin::Exception;
using Marlin::SluiceCoreDisplayStatusRecord;
using Marlin::SluiceOptionRecord;
using Marlin::SluiceStatusRecord;
using Marlin::WindowsException;
using Marlin::WindowsFileException;
using namespace Marlin::Sluice;
using namespace elevatetest;
using wiretest::FromHex;
using wiretest::Hex;

namespace {

const char* const kOptionBytes =
    "02 00 00 00 | 02 00 00 00 00 00 00 00 | 08 00 00 00 00 00 00 00 43 00 3A 00 5C 00 61 00 |"
    " 0A 00 00 00 00 00 00 00 43 00 3A 00 5C 00 62 00 62 00 | 06 00 00 00 00 00 00 00 44 00 3A 00 5C 00 |"
    " 00 00 00 04 00 00 00 00 | 00 00 10 00 00 00 00 00 | 11 00 00 00 00 00 00 00 | 00 00 01 00 00 00 00 00 |"
    " FF FF FF FF FF FF FF FF | 22 00 00 00 00 00 00 00 | 03 00 00 00 | 04 00 00 00 | 05 00 00 00 | 01 00 00 00 |"
    " 00 00 20 00 00 00 00 00 | 00 00 30 00 00 00 00 00 | 01 00 00 00 | 0A 00 00 00 | 64 00 00 00";

// N = 4, then (index, parent, path, size, kind, flags) per node: (0, -1) "r" Root,
// (1, 0) "x" Folder, (2, 1) "y" File 5 bytes with flags 0x20, (3, 0) "z" File 7 bytes.
const char* const kTreeBytes =
    "04 00 00 00 00 00 00 00 |"
    " 00 00 00 00 00 00 00 00 FF FF FF FF FF FF FF FF 02 00 00 00 00 00 00 00 72 00"
    " 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 |"
    " 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 78 00"
    " 00 00 00 00 00 00 00 00 03 00 00 00 00 00 00 00 |"
    " 02 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 79 00"
    " 05 00 00 00 00 00 00 00 02 00 00 00 20 00 00 00 |"
    " 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 7A 00"
    " 07 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00";

std::vector<uint8_t> Written(const Exception* e) {
    CDataConverter out;
    SluiceCoreDisplayStatusRecord::PutException(out, e);
    return out.Buffer();
}

std::unique_ptr<Exception> ReadBack(const std::vector<uint8_t>& bytes) {
    CDataParser in(bytes.data(), bytes.size());
    std::unique_ptr<Exception> read;
    REQUIRE(SluiceCoreDisplayStatusRecord::GetException(in, read));
    REQUIRE(in.AtEnd());
    return read;
}

Marlin::FileAttributeData Attributes(uint32_t seed) {
    Marlin::FileAttributeData a{};
    auto* words = reinterpret_cast<uint32_t*>(&a);
    for (int i = 0; i < 9; ++i) words[i] = seed + static_cast<uint32_t>(i);
    return a;
}

bool SameAttributes(const Marlin::FileAttributeData& a, const Marlin::FileAttributeData& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST_CASE("the option is its fields in declaration order, lengths in 8 bytes") {
    CDataConverter out;
    SluiceOptionRecord::Put(out, ExampleOption());
    CHECK_EQ(Hex(out.Buffer()), Hex(FromHex(kOptionBytes)));

    const std::vector<uint8_t> bytes = FromHex(kOptionBytes);
    CDataParser in(bytes.data(), bytes.size());
    SluiceOption read;
    read.sources = {L"replaced"};
    REQUIRE(SluiceOptionRecord::Get(in, read));
    CHECK(in.AtEnd());
    CDataConverter again;
    SluiceOptionRecord::Put(again, read);
    CHECK_EQ(Hex(again.Buffer()), Hex(bytes));
}

TEST_CASE("a head with two children, the first with a child, is N = 4 and (0,-1) (1,0) (2,1) (3,0)") {
    CDataConverter out;
    SluiceStatusRecord::PutTree(out, ExampleTree());
    CHECK_EQ(Hex(out.Buffer()), Hex(FromHex(kTreeBytes)));
}

TEST_CASE("a cursor that refers to no tree is (-1, -1) and reads back without tree or node") {
    CopyItemsData items;
    items.AppendTree(ExampleTree());
    SluiceStatusRecord::Cursor none;
    none.state = SluiceStatusItemInfo::Done;
    SluiceStatusRecord::Cursor atY;
    atY.tree = 0;
    atY.node = ++ ++items.Tree(0).begin();
    atY.state = SluiceStatusItemInfo::Walking;
    atY.phase = SluiceStatusItemInfo::SinglePass;
    CDataConverter out;
    SluiceStatusRecord::Put(out, 1, 0, items, none, atY);

    const std::vector<uint8_t>& bytes = out.Buffer();
    // Each cursor: the two indices, state, phase, three counts, two empty strings = 72.
    const size_t cursorSize = 8 + 8 + 4 + 4 + 3 * 8 + 8 + 8;
    REQUIRE(bytes.size() > 2 * cursorSize);
    const size_t readAt = bytes.size() - 2 * cursorSize;
    CHECK_EQ(Hex(bytes.data() + readAt, 16), std::string("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"));
    CHECK_EQ(Hex(bytes.data() + readAt + cursorSize, 16), std::string("00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00"));

    CDataParser in(bytes.data(), bytes.size());
    SluiceStatusRecord read;
    REQUIRE(read.Get(in));
    CHECK(in.AtEnd());
    CHECK_EQ(read.readCursor.tree, SluiceStatusItemInfo::NoTree);
    CHECK(read.readCursor.node.node() == nullptr);
    CHECK_EQ(read.readCursor.state, int32_t{SluiceStatusItemInfo::Done});
    CHECK_EQ(read.writeCursor.tree, size_t{0});
    REQUIRE(read.writeCursor.node.node() != nullptr);
    CHECK_EQ(read.writeCursor.node->path, std::wstring(L"y"));
    CHECK_EQ(read.foldersFirst, 1);
    CheckSameTree(read.items.Tree(0), items.Tree(0));
}

TEST_CASE("a display status ends with tag 0 without an exception, with tag 6, type 10 and the shortfall for free space") {
    CDataConverter plain;
    SluiceCoreDisplayStatusRecord::Put(plain, SluiceCoreDisplayStatus());
    // Two times, nine counters, four empty strings, two samples, four empty lists, the tag.
    CHECK_EQ(plain.Size(), size_t{8 + 8 + 72 + 32 + 32 + 32 + 4});
    CHECK_EQ(Hex(plain.Data() + plain.Size() - 4, 4), std::string("00 00 00 00"));

    SluiceExceptionNotFreeSpace space(0x123456789);
    space.message = "ab";
    space.code = 7;
    SluiceCoreDisplayStatus status;
    status.SetException(&space);
    CDataConverter out;
    SluiceCoreDisplayStatusRecord::Put(out, status);
    status.SetException(nullptr);
    const char* tail =
        "06 00 00 00 | 02 00 00 00 00 00 00 00 61 62 | 07 00 00 00 | 0A 00 00 00 | 89 67 45 23 01 00 00 00";
    const size_t n = FromHex(tail).size();
    REQUIRE(out.Size() == plain.Size() - 4 + n);
    CHECK_EQ(Hex(out.Data() + out.Size() - n, n), Hex(FromHex(tail)));
}

TEST_CASE("a retry question with an inner Windows file error reads back with that inner exception, owned") {
    WindowsFileException inner(5, L"D:\\dst\\locked.txt");
    inner.message = "denied";
    inner.code = 3;
    SluiceExceptionRetryFile retry;
    retry.message = "retry";
    retry.code = 4;
    retry.BorrowInner(&inner);
    retry.path = L"D:\\dst";
    retry.attributes = Attributes(100);
    retry.attributesValid = 1;
    retry.elevated = 0;

    const auto read = ReadBack(Written(&retry));
    const auto* r = dynamic_cast<const SluiceExceptionRetryFile*>(read.get());
    REQUIRE(r != nullptr);
    CHECK_EQ(r->message, std::string("retry"));
    CHECK_EQ(r->code, 4);
    CHECK_EQ(r->type, int32_t{SluiceException::RetryQuestion});
    CHECK_EQ(r->path, std::wstring(L"D:\\dst"));
    CHECK(SameAttributes(r->attributes, retry.attributes));
    CHECK_EQ(r->attributesValid, 1);
    CHECK_EQ(r->elevated, 0);
    CHECK_EQ(r->ownsInner, 1);
    REQUIRE(r->inner != nullptr);
    CHECK(r->inner != &inner);
    CHECK_EQ(r->inner->error, uint32_t{5});
    CHECK_EQ(r->inner->path, std::wstring(L"D:\\dst\\locked.txt"));
    CHECK_EQ(r->inner->message, std::string("denied"));
    CHECK_EQ(r->inner->code, 3);

    // Without an inner exception the inner tag is 0 and none is attached.
    SluiceExceptionRetryFile bare;
    const std::vector<uint8_t> bytes = Written(&bare);
    CHECK_EQ(Hex(bytes.data() + bytes.size() - 4, 4), std::string("00 00 00 00"));
    const auto readBare = ReadBack(bytes);
    const auto* b = dynamic_cast<const SluiceExceptionRetryFile*>(readBare.get());
    REQUIRE(b != nullptr);
    CHECK(b->inner == nullptr);
    CHECK_EQ(b->ownsInner, 0);
}

TEST_CASE("every exception class travels as itself: the most derived tag, and every field back") {
    SluiceExceptionOverwrite overwrite(L"C:\\s.txt", Attributes(1), L"D:\\s.txt", Attributes(20));
    SluiceExceptionNotFreeSpace space(42);
    SluiceExceptionEncrypted encrypted(L"C:\\e.txt", Attributes(300));
    SluiceException engine(SluiceException::Cancelled);
    WindowsFileException fileError(32, L"C:\\busy");
    WindowsException error(87);
    Exception plain("plain", 9);
    SluiceExceptionRetryFile retry;
    struct Row {
        const char* what;
        const Exception* e;
        int32_t tag;
    } rows[] = {
        {"retry question", &retry, 8},      {"overwrite question", &overwrite, 7},
        {"free space", &space, 6},          {"encryption question", &encrypted, 5},
        {"engine exception", &engine, 4},   {"Windows file error", &fileError, 3},
        {"Windows error", &error, 2},       {"any other exception", &plain, 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        const_cast<Exception*>(row.e)->message = row.what;
        const_cast<Exception*>(row.e)->code = row.tag * 11;
        const std::vector<uint8_t> bytes = Written(row.e);
        REQUIRE(bytes.size() >= 4);
        CHECK_EQ(int32_t(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24), row.tag);
        const auto read = ReadBack(bytes);
        REQUIRE(read != nullptr);
        CHECK(typeid(*read) == typeid(*row.e));
        CHECK_EQ(read->message, std::string(row.what));
        CHECK_EQ(read->code, row.tag * 11);
        // Written again, the copy gives the same bytes: no field was dropped on the way.
        CHECK_EQ(Hex(Written(read.get())), Hex(bytes));
    }
    CHECK_EQ(Hex(Written(nullptr)), std::string("00 00 00 00"));
}

TEST_CASE("a display status reads back whole, owning the exception it carried") {
    SluiceCoreDisplayStatus status = ExampleDisplayStatus();
    SluiceExceptionOverwrite overwrite(L"C:\\s.txt", Attributes(1), L"D:\\s.txt", Attributes(20));
    status.SetException(&overwrite);
    CDataConverter out;
    SluiceCoreDisplayStatusRecord::Put(out, status);
    status.SetException(nullptr);

    SluiceCoreDisplayStatus read;
    CDataParser in(out.Data(), out.Size());
    REQUIRE(SluiceCoreDisplayStatusRecord::Get(in, read));
    CHECK(in.AtEnd());
    displaystatustest::CheckSameDisplayStatus(read, ExampleDisplayStatus());
    CHECK_EQ(read.ownsException(), 1);
    const auto* o = dynamic_cast<const SluiceExceptionOverwrite*>(read.exception());
    REQUIRE(o != nullptr);
    CHECK_EQ(o->destinationPath, std::wstring(L"D:\\s.txt"));
    CHECK(SameAttributes(o->destinationAttributes, Attributes(20)));
}
