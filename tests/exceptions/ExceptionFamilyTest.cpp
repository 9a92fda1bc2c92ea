// The engine's exception family as the engine and the pipe reader use it: the types of
// the default forms, and copies of retry questions that own or borrow their inner
// exception (thrown and caught by value, so copies are routine).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using Marlin::WindowsFileException;
using namespace Marlin::Sluice;

// ---- An allocation ledger: records what is allocated while a Ledger is alive, so a test
// can see that an inner exception is still allocated, that nothing leaked, and that
// nothing was freed that was not allocated (a second delete). A second delete is
// counted and not passed on, so the test reports it instead of corrupting the heap.
namespace {

constexpr size_t kSlots = 8192;
bool g_active = false;
void* g_live[kSlots];
size_t g_liveCount = 0;
size_t g_foreignFrees = 0;

void Record(void* p) {
    if (g_liveCount < kSlots) g_live[g_liveCount++] = p;
}

bool Forget(void* p) {
    for (size_t i = 0; i < g_liveCount; ++i) {
        if (g_live[i] == p) {
            g_live[i] = g_live[--g_liveCount];
            return true;
        }
    }
    return false;
}

class Ledger {
public:
    Ledger() {
        g_liveCount = 0;
        g_foreignFrees = 0;
        g_active = true;
    }
    ~Ledger() { g_active = false; }
    Ledger(const Ledger&) = delete;
    Ledger& operator=(const Ledger&) = delete;

    static bool IsLive(const void* p) {
        for (size_t i = 0; i < g_liveCount; ++i)
            if (g_live[i] == p) return true;
        return false;
    }
    static size_t Live() { return g_liveCount; }
    static size_t ForeignFrees() { return g_foreignFrees; }
};

void* Allocate(size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    if (g_active) Record(p);
    return p;
}

void Release(void* p) noexcept {
    if (!p) return;
    if (g_active && !Forget(p)) {
        ++g_foreignFrees;
        return;
    }
    std::free(p);
}

}  // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

bool IsZero(const WIN32_FILE_ATTRIBUTE_DATA& a) {
    static const WIN32_FILE_ATTRIBUTE_DATA zero{};
    return std::memcmp(&a, &zero, sizeof a) == 0;
}

WIN32_FILE_ATTRIBUTE_DATA Block(DWORD attributes, DWORD sizeLow) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    a.dwFileAttributes = attributes;
    a.nFileSizeLow = sizeLow;
    a.ftLastWriteTime.dwLowDateTime = sizeLow * 3 + 1;
    return a;
}

// A question whose owned inner exception is no longer allocated has been given one
// that belongs to someone else; it is disowned so that its destructor does not call
// into freed memory, and the test ends.
void RequireOwnInnerAlive(SluiceExceptionRetryFile& e) {
    REQUIRE(e.inner != nullptr);
    if (Ledger::IsLive(e.inner)) return;
    e.ownsInner = 0;
    FAIL("the inner exception it owns was deleted by another question");
}

// A retry question as the pipe reader builds it: fields read off the wire and an inner
// exception that it owns.
SluiceExceptionRetryFile Received(const std::wstring& path, uint32_t innerError) {
    SluiceExceptionRetryFile retry;
    retry.path = path;
    retry.attributes = Block(FILE_ATTRIBUTE_ARCHIVE, 77);
    retry.attributesValid = 1;
    retry.elevated = 1;
    retry.AdoptInner(std::make_unique<WindowsFileException>(innerError, path + L".inner"));
    return retry;
}

}  // namespace

TEST_CASE("default forms carry the type of their question and nothing else") {
    SluiceExceptionEncrypted encrypted;
    SluiceExceptionOverwrite overwrite;
    SluiceExceptionRetryFile retry;
    SluiceExceptionNotFreeSpace noSpace;
    struct Row {
        const char* what;
        const SluiceException& e;
        int32_t type;
    } rows[] = {
        {"encrypted", encrypted, 12},
        {"overwrite", overwrite, 13},
        {"retry", retry, 14},
        {"not free space", noSpace, 10},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(row.e.type, row.type);
        CHECK(row.e.message.empty());
        CHECK_EQ(row.e.code, 0);
    }
    CHECK(encrypted.path.empty());
    CHECK(IsZero(encrypted.attributes));
    CHECK(overwrite.sourcePath.empty());
    CHECK(overwrite.destinationPath.empty());
    CHECK(IsZero(overwrite.sourceAttributes));
    CHECK(IsZero(overwrite.destinationAttributes));
    CHECK(retry.path.empty());
    CHECK(IsZero(retry.attributes));
    CHECK_EQ(retry.ownsInner, 0);
    CHECK(retry.inner == nullptr);
    CHECK_EQ(retry.attributesValid, 0);
    CHECK_EQ(retry.elevated, 0);
    CHECK_EQ(noSpace.shortfall, uint64_t{0});
}

TEST_CASE("questions keep source and destination apart and are caught through their base") {
    try {
        throw SluiceExceptionOverwrite(L"C:\\s\\a.txt", Block(FILE_ATTRIBUTE_ARCHIVE, 10), L"D:\\d\\a.txt",
                                       Block(FILE_ATTRIBUTE_READONLY, 20));
    } catch (const SluiceException& e) {
        REQUIRE_EQ(e.type, static_cast<int32_t>(SluiceException::OverwriteQuestion));
        const auto& o = dynamic_cast<const SluiceExceptionOverwrite&>(e);
        CHECK_EQ(o.sourcePath, std::wstring(L"C:\\s\\a.txt"));
        CHECK_EQ(o.sourceAttributes.nFileSizeLow, DWORD{10});
        CHECK_EQ(o.destinationPath, std::wstring(L"D:\\d\\a.txt"));
        CHECK_EQ(o.destinationAttributes.nFileSizeLow, DWORD{20});
        CHECK_EQ(o.destinationAttributes.dwFileAttributes, DWORD{FILE_ATTRIBUTE_READONLY});
    }
    try {
        throw SluiceExceptionNotFreeSpace(0x123456789ULL);
    } catch (const SluiceException& e) {
        REQUIRE_EQ(e.type, static_cast<int32_t>(SluiceException::NotFreeSpace));
        CHECK_EQ(dynamic_cast<const SluiceExceptionNotFreeSpace&>(e).shortfall, uint64_t{0x123456789ULL});
    }
    try {
        throw SluiceExceptionEncrypted(L"C:\\s\\e.bin", Block(FILE_ATTRIBUTE_ENCRYPTED, 5));
    } catch (const SluiceException& e) {
        REQUIRE_EQ(e.type, static_cast<int32_t>(SluiceException::EncryptionQuestion));
        const auto& x = dynamic_cast<const SluiceExceptionEncrypted&>(e);
        CHECK_EQ(x.path, std::wstring(L"C:\\s\\e.bin"));
        CHECK_EQ(x.attributes.dwFileAttributes, DWORD{FILE_ATTRIBUTE_ENCRYPTED});
    }
}

TEST_CASE("a copy of a retry question that owns its inner exception owns its own copy of it") {
    Ledger ledger;
    {
        auto original = std::make_unique<SluiceExceptionRetryFile>(Received(L"C:\\x\\a.txt", 5));
        const WindowsFileException* first = original->inner;
        REQUIRE(Ledger::IsLive(first));
        SluiceExceptionRetryFile copy(*original);
        CHECK_EQ(copy.ownsInner, 1);
        REQUIRE(copy.inner != nullptr);
        CHECK(copy.inner != first);
        original.reset();
        // The copy outlives the question it was made from and still reads its inner.
        CHECK(!Ledger::IsLive(first));
        RequireOwnInnerAlive(copy);
        CHECK_EQ(copy.inner->error, uint32_t{5});
        CHECK_EQ(copy.inner->path, std::wstring(L"C:\\x\\a.txt.inner"));
        CHECK_EQ(copy.path, std::wstring(L"C:\\x\\a.txt"));
        CHECK_EQ(copy.attributes.nFileSizeLow, DWORD{77});
        CHECK_EQ(copy.attributesValid, 1);
        CHECK_EQ(copy.elevated, 1);
        CHECK_EQ(copy.type, 14);
    }
    CHECK_EQ(Ledger::Live(), size_t{0});
    CHECK_EQ(Ledger::ForeignFrees(), size_t{0});
}

TEST_CASE("assigning retry questions releases the old inner exception and copies the new one") {
    Ledger ledger;
    {
        SluiceExceptionRetryFile target = Received(L"C:\\t", 1);
        const WindowsFileException* old = target.inner;
        {
            SluiceExceptionRetryFile source = Received(L"C:\\s", 2);
            target = source;
            CHECK(!Ledger::IsLive(old));
            CHECK(target.inner != source.inner);
        }
        RequireOwnInnerAlive(target);
        CHECK_EQ(target.inner->error, uint32_t{2});
        CHECK_EQ(target.path, std::wstring(L"C:\\s"));

        SluiceExceptionRetryFile& alias = target;
        target = alias;  // assigning a question to itself keeps its inner
        RequireOwnInnerAlive(target);
        CHECK_EQ(target.inner->error, uint32_t{2});

        SluiceExceptionRetryFile moved(std::move(target));
        CHECK_EQ(moved.ownsInner, 1);
        RequireOwnInnerAlive(moved);
        CHECK_EQ(target.ownsInner, 0);
        CHECK(target.inner == nullptr);

        // A received inner exception replacing an owned one.
        moved.AdoptInner(std::make_unique<WindowsFileException>(3, L"C:\\r"));
        CHECK_EQ(moved.inner->error, uint32_t{3});
    }
    CHECK_EQ(Ledger::Live(), size_t{0});
    CHECK_EQ(Ledger::ForeignFrees(), size_t{0});
}

TEST_CASE("copies of a retry question with a borrowed inner exception share it and never free it") {
    Ledger ledger;
    {
        auto failure = std::make_unique<WindowsFileException>(32, L"C:\\b.txt");
        {
            SluiceExceptionRetryFile retry;
            retry.BorrowInner(failure.get());
            SluiceExceptionRetryFile copy(retry);
            SluiceExceptionRetryFile assigned;
            assigned = copy;
            CHECK(copy.inner == failure.get());
            CHECK(assigned.inner == failure.get());
            CHECK_EQ(copy.ownsInner, 0);
            CHECK_EQ(assigned.ownsInner, 0);
        }
        CHECK(Ledger::IsLive(failure.get()));
    }
    CHECK_EQ(Ledger::Live(), size_t{0});
    CHECK_EQ(Ledger::ForeignFrees(), size_t{0});
}

TEST_CASE("a retry question thrown by value and copied in the handler frees each inner exception once") {
    Ledger ledger;
    {
        SluiceExceptionRetryFile question = Received(L"C:\\q", 6);
        try {
            throw question;
        } catch (const SluiceExceptionRetryFile& thrown) {
            SluiceExceptionRetryFile caught(thrown);  // as a handler that keeps the question does
            CHECK(thrown.inner != question.inner);
            RequireOwnInnerAlive(caught);
            CHECK(caught.inner != thrown.inner);
            CHECK(caught.inner != question.inner);
            CHECK_EQ(caught.inner->error, uint32_t{6});
        }
        try {
            throw Received(L"C:\\p", 7);
        } catch (const SluiceException& e) {
            const auto& caught = dynamic_cast<const SluiceExceptionRetryFile&>(e);
            CHECK(Ledger::IsLive(caught.inner));
        }
    }
    CHECK_EQ(Ledger::Live(), size_t{0});
    CHECK_EQ(Ledger::ForeignFrees(), size_t{0});
}
