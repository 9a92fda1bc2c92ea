// The locking step of the pool. Processes here may always lock memory, so the step's
// calls are replaced by ones that fail on request and otherwise pass on to the system.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "CopyBufferManagerSemaphoreLock.h"
#include "TestHarness.h"
#include "VirtualAllocater.h"

using Marlin::Sluice::BufferSpan;
using Marlin::Sluice::CopyBufferManagerSemaphoreLock;
using Marlin::Sluice::VirtualAllocater;

namespace {

constexpr uint64_t MiB = 1024 * 1024;

struct LockStep {
    bool failGet = false;
    bool failSet = false;
    bool failLock = false;
    bool failUnlock = false;

    SIZE_T reportedMinimum = 0;
    SIZE_T reportedMaximum = 0;
    std::vector<std::pair<SIZE_T, SIZE_T>> sets;  // every setWorkingSetSize call
    int gets = 0;
    int locks = 0;
    int unlocks = 0;
    void* lockedAddress = nullptr;
    SIZE_T lockedSize = 0;
    void* unlockedAddress = nullptr;
    SIZE_T unlockedSize = 0;
};
LockStep g_step;

BOOL WINAPI FakeGet(HANDLE process, PSIZE_T minimum, PSIZE_T maximum) {
    ++g_step.gets;
    if (g_step.failGet) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const BOOL ok = GetProcessWorkingSetSize(process, minimum, maximum);
    g_step.reportedMinimum = *minimum;
    g_step.reportedMaximum = *maximum;
    return ok;
}
BOOL WINAPI FakeSet(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
    g_step.sets.emplace_back(minimum, maximum);
    if (g_step.failSet) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return FALSE;
    }
    return SetProcessWorkingSetSize(process, minimum, maximum);
}
BOOL WINAPI FakeLock(LPVOID address, SIZE_T size) {
    ++g_step.locks;
    g_step.lockedAddress = address;
    g_step.lockedSize = size;
    if (g_step.failLock) {
        SetLastError(ERROR_WORKING_SET_QUOTA);
        return FALSE;
    }
    return VirtualLock(address, size);
}
BOOL WINAPI FakeUnlock(LPVOID address, SIZE_T size) {
    ++g_step.unlocks;
    g_step.unlockedAddress = address;
    g_step.unlockedSize = size;
    if (g_step.failUnlock) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    return VirtualUnlock(address, size);
}

const VirtualAllocater::LockCalls kFakes{&FakeGet, &FakeSet, &FakeLock, &FakeUnlock};

DWORD StateOf(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    REQUIRE(VirtualQuery(address, &info, sizeof info) == sizeof info);
    return info.State;
}

// Fills the whole pool buffer by buffer and reads every buffer back.
void UseWholePool(CopyBufferManagerSemaphoreLock& m) {
    std::vector<BufferSpan> spans;
    BufferSpan span;
    while (m.Allocate(256 * 1024, span) != nullptr) {
        std::memset(span.address, static_cast<int>(spans.size() + 1), span.length);
        spans.push_back(span);
    }
    CHECK_EQ(spans.size() * 256 * 1024, m.GetPoolSize());
    for (size_t i = 0; i < spans.size(); ++i) {
        const auto* p = static_cast<const unsigned char*>(spans[i].address);
        CHECK(p[0] == static_cast<unsigned char>(i + 1) && p[spans[i].length - 1] == static_cast<unsigned char>(i + 1));
    }
    for (const BufferSpan& s : spans) m.Free(s);
    CHECK_EQ(m.GetUsedSize(), 0u);
}

}  // namespace

TEST_CASE("a pool whose lock step fails is made unlocked, works, and is freed without an unlock") {
    const SIZE_T size = 8 * MiB;
    enum class Fail { Nothing, Lock, GetWorkingSet, SetWorkingSet };
    struct Row {
        const char* name;
        Fail fail;
        bool locked;
        int locks;
        size_t setsAfterCreate;  // raise, and the restore right away when the lock failed
        int unlocksAtEnd;
        size_t setsAtEnd;
    };
    const Row rows[] = {
        {"nothing fails", Fail::Nothing, true, 1, 1, 1, 2},
        {"VirtualLock fails", Fail::Lock, false, 1, 2, 0, 2},
        {"the working set cannot be read", Fail::GetWorkingSet, false, 0, 0, 0, 0},
        {"the working set cannot be raised", Fail::SetWorkingSet, false, 0, 1, 0, 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        g_step = LockStep{};
        g_step.failLock = row.fail == Fail::Lock;
        g_step.failGet = row.fail == Fail::GetWorkingSet;
        g_step.failSet = row.fail == Fail::SetWorkingSet;

        void* base = nullptr;
        {
            CopyBufferManagerSemaphoreLock m(kFakes);
            REQUIRE_EQ(m.CreatePool(size, 4096), 1);
            base = m.GetPoolAddress();
            REQUIRE(base != nullptr);
            CHECK_EQ(StateOf(base), static_cast<DWORD>(MEM_COMMIT));
            CHECK_EQ(m.IsPoolLocked(), row.locked);
            CHECK_EQ(g_step.gets, 1);
            CHECK_EQ(g_step.locks, row.locks);
            REQUIRE_EQ(g_step.sets.size(), row.setsAfterCreate);
            if (row.setsAfterCreate >= 1) {
                // Raised by exactly the pool's size.
                CHECK_EQ(g_step.sets[0].first, g_step.reportedMinimum + size);
                CHECK_EQ(g_step.sets[0].second, g_step.reportedMaximum + size);
            }
            if (row.locks == 1) {
                CHECK(g_step.lockedAddress == base);
                CHECK_EQ(g_step.lockedSize, size);
            }
            UseWholePool(m);

            m.DestroyPool();
            CHECK_EQ(StateOf(base), static_cast<DWORD>(MEM_FREE));
            CHECK_EQ(g_step.unlocks, row.unlocksAtEnd);
            if (row.unlocksAtEnd == 1) {
                CHECK(g_step.unlockedAddress == base);
                CHECK_EQ(g_step.unlockedSize, size);
            }
            REQUIRE_EQ(g_step.sets.size(), row.setsAtEnd);
            if (row.setsAtEnd == 2) {
                // The limits from before the pool are back.
                CHECK_EQ(g_step.sets[1].first, g_step.reportedMinimum);
                CHECK_EQ(g_step.sets[1].second, g_step.reportedMaximum);
            }
        }
        // The destructor after DestroyPool gives nothing back twice.
        CHECK_EQ(g_step.unlocks, row.unlocksAtEnd);
        CHECK_EQ(g_step.sets.size(), row.setsAtEnd);
    }
}

TEST_CASE("a pool that is never destroyed explicitly is unlocked and freed by its owner") {
    g_step = LockStep{};
    void* base = nullptr;
    {
        CopyBufferManagerSemaphoreLock m(kFakes);
        REQUIRE_EQ(m.CreatePool(4 * MiB, 512), 1);
        base = m.GetPoolAddress();
        CHECK(m.IsPoolLocked());
    }
    CHECK_EQ(g_step.unlocks, 1);
    CHECK_EQ(g_step.sets.size(), 2u);
    CHECK_EQ(StateOf(base), static_cast<DWORD>(MEM_FREE));
}

TEST_CASE("a failed reservation gives the raised working set back and locks nothing") {
    g_step = LockStep{};
    CopyBufferManagerSemaphoreLock m(kFakes);
    const uint64_t huge = uint64_t{1} << 62;
    CHECK_EQ(m.CreatePool(huge, 4096), 0);
    CHECK_EQ(g_step.locks, 0);
    REQUIRE_EQ(g_step.sets.size(), 2u);
    CHECK_EQ(g_step.sets[0].first, g_step.reportedMinimum + huge);
    CHECK_EQ(g_step.sets[1].first, g_step.reportedMinimum);
    CHECK_EQ(g_step.sets[1].second, g_step.reportedMaximum);
    CHECK(m.GetPoolAddress() == nullptr);

    // Nothing of the failed attempt is left: a normal pool follows.
    CHECK_EQ(m.CreatePool(1 * MiB, 4096), 1);
    CHECK(m.IsPoolLocked());
}

TEST_CASE("a release step that fails keeps the rest of the region, and a later release finishes it") {
    g_step = LockStep{};
    VirtualAllocater memory(kFakes);
    REQUIRE(memory.Allocate(2 * MiB, true));
    void* base = memory.GetAddress();
    REQUIRE(memory.IsLocked());

    g_step.failUnlock = true;
    memory.Release();
    CHECK_EQ(g_step.unlocks, 1);
    CHECK(memory.IsLocked());
    CHECK(memory.IsAllocated());
    CHECK(memory.IsWorkingSetRaised());  // the locked pages still need it
    CHECK_EQ(StateOf(base), static_cast<DWORD>(MEM_COMMIT));
    CHECK(!memory.Allocate(1 * MiB, true));

    g_step.failUnlock = false;
    memory.Release();
    CHECK_EQ(g_step.unlocks, 2);
    CHECK(!memory.IsAllocated());
    CHECK(!memory.IsWorkingSetRaised());
    CHECK_EQ(StateOf(base), static_cast<DWORD>(MEM_FREE));
    CHECK_EQ(g_step.sets.size(), 2u);
}

TEST_CASE("without locking only memory is reserved and committed") {
    g_step = LockStep{};
    VirtualAllocater memory(kFakes);
    REQUIRE(memory.Allocate(1 * MiB, false));
    CHECK(!memory.IsLocked());
    CHECK_EQ(g_step.gets + g_step.locks, 0);
    CHECK(g_step.sets.empty());
    memory.Release();
    CHECK_EQ(g_step.unlocks, 0);
}
