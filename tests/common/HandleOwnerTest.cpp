// The owner template and its policies: which values each kind counts as none, that an
// owner closes what it holds exactly once (also across moves), that an implicit close
// keeps the caller's last error while an explicit one reports its own, and that each
// real kind's close call reaches the system.
#include <windows.h>
#include <unknwn.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

using Marlin::BitmapHandle;
using Marlin::ComPointer;
using Marlin::CoTaskMemory;
using Marlin::CreatedDC;
using Marlin::FileHandle;
using Marlin::FindHandle;
using Marlin::KernelHandle;
using Marlin::LocalMemory;
using Marlin::ModuleHandle;
using Marlin::PaintingHandle;
using Marlin::RegistryKey;
using Marlin::ScreenDC;
using Marlin::ServiceHandle;

namespace {

// A kind of the test's own: the close call is counted, can be made to fail, and always
// leaves an error of its own behind, so the template's rules show apart from any system
// call. 0 and -1 both mean none; an empty owner holds -1.
struct Probe {
    static inline std::vector<int> closed;
    static inline bool failClose = false;
};
struct ProbePolicy {
    using pointer = int;
    static inline const int none = -1;
    static bool IsValid(int h) noexcept { return h != -1 && h != 0; }
    static bool Close(int h) noexcept {
        Probe::closed.push_back(h);
        SetLastError(ERROR_INVALID_HANDLE);
        return !Probe::failClose;
    }
};
using ProbeHandle = Marlin::UniqueHandle<ProbePolicy>;

void ResetProbe() {
    Probe::closed.clear();
    Probe::failClose = false;
}

constexpr DWORD kCallersError = 1234;

bool IsOpenKernelHandle(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

// An interface object that counts its references and Release calls.
class CountedUnknown : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ++releases;
        return --references;
    }
    ULONG references = 1;
    int releases = 0;
};

}  // namespace

TEST_CASE("an owner closes a held value once, and never a value that means none") {
    const struct {
        const char* name;
        int held;
        std::vector<int> closed;
    } rows[] = {
        {"a handle", 5, {5}},
        {"the empty value", -1, {}},
        {"the other value that means none", 0, {}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        ResetProbe();
        {
            ProbeHandle owner(row.held);
            CHECK_EQ(owner.valid(), !row.closed.empty());
        }
        CHECK(Probe::closed == row.closed);
    }
    ResetProbe();
    CHECK_EQ(ProbeHandle().get(), -1);
    CHECK(!ProbeHandle().valid());
    CHECK(Probe::closed.empty());
}

TEST_CASE("moves, reset, release and put hand a handle over without closing it twice") {
    const struct {
        const char* name;
        std::function<void()> act;  // checks what must not have been closed yet
        std::vector<int> closedInTotal;
    } rows[] = {
        {"move construction", [] {
             ProbeHandle a(5);
             ProbeHandle b(std::move(a));
             CHECK_EQ(a.get(), -1);
             CHECK_EQ(b.get(), 5);
             CHECK(Probe::closed.empty());
         },
         {5}},
        {"move assignment closes what the target held", [] {
             ProbeHandle a(5), b(6);
             b = std::move(a);
             CHECK(Probe::closed == std::vector<int>{6});
             CHECK_EQ(b.get(), 5);
         },
         {6, 5}},
        {"assignment to itself keeps the handle", [] {
             ProbeHandle a(5);
             ProbeHandle& same = a;
             a = std::move(same);
             CHECK_EQ(a.get(), 5);
             CHECK(Probe::closed.empty());
         },
         {5}},
        {"reset closes the old handle and holds the new one", [] {
             ProbeHandle a(5);
             a.reset(6);
             CHECK(Probe::closed == std::vector<int>{5});
             CHECK_EQ(a.get(), 6);
         },
         {5, 6}},
        {"release gives the handle up", [] {
             ProbeHandle a(5);
             CHECK_EQ(a.release(), 5);
             CHECK(!a.valid());
         },
         {}},
        {"put closes first, then takes what the call writes", [] {
             ProbeHandle a(5);
             int* slot = a.put();
             CHECK(Probe::closed == std::vector<int>{5});
             CHECK_EQ(*slot, -1);
             *slot = 7;
             CHECK_EQ(a.get(), 7);
         },
         {5, 7}},
        {"swap exchanges without closing", [] {
             ProbeHandle a(5), b(6);
             a.swap(b);
             CHECK_EQ(a.get(), 6);
             CHECK_EQ(b.get(), 5);
             CHECK(Probe::closed.empty());
         },
         {5, 6}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        ResetProbe();
        row.act();
        std::vector<int> total = Probe::closed;
        std::sort(total.begin(), total.end());
        std::vector<int> expected = row.closedInTotal;
        std::sort(expected.begin(), expected.end());
        CHECK(total == expected);
    }
}

TEST_CASE("an implicit close keeps the caller's last error; an explicit one reports its own") {
    ResetProbe();
    SetLastError(kCallersError);
    { ProbeHandle goes(5); }
    CHECK_EQ(GetLastError(), kCallersError);
    ProbeHandle owner(6);
    SetLastError(kCallersError);
    owner.reset(7);
    CHECK_EQ(GetLastError(), kCallersError);
    SetLastError(kCallersError);
    owner = ProbeHandle(8);
    CHECK_EQ(GetLastError(), kCallersError);

    // A failed explicit close keeps the handle for another try and leaves the close
    // call's error; a successful one empties the owner.
    Probe::failClose = true;
    SetLastError(kCallersError);
    CHECK(!owner.close());
    CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CHECK_EQ(owner.get(), 8);
    Probe::failClose = false;
    CHECK(owner.close());
    CHECK(!owner.valid());
    CHECK(owner.close());  // nothing held: nothing to do
    CHECK(Probe::closed == (std::vector<int>{5, 6, 7, 8, 8}));

    // The same with a real kind whose close call fails: a handle closed behind the
    // owner's back.
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    REQUIRE(raw != nullptr);
    KernelHandle stale(raw);
    REQUIRE(CloseHandle(raw));
    SetLastError(kCallersError);
    stale.reset();
    CHECK_EQ(GetLastError(), kCallersError);
}

TEST_CASE("each kind's empty owner holds what its creating call returns on failure; both failure values mean none") {
    const struct {
        const char* name;
        std::function<bool()> emptyHoldsFailureValue;
        std::function<bool()> failureValuesMeanNone;
    } rows[] = {
        {"files and pipes (CreateFileW)", [] { return FileHandle().get() == INVALID_HANDLE_VALUE; },
         [] { return !FileHandle(INVALID_HANDLE_VALUE).valid() && !FileHandle(nullptr).valid(); }},
        // INVALID_HANDLE_VALUE is also the current process's pseudo handle: never closed.
        {"kernel objects (CreateEventW)", [] { return KernelHandle().get() == nullptr; },
         [] { return !KernelHandle(nullptr).valid() && !KernelHandle(INVALID_HANDLE_VALUE).valid(); }},
        {"searches (FindFirstFileW)", [] { return FindHandle().get() == INVALID_HANDLE_VALUE; },
         [] { return !FindHandle(INVALID_HANDLE_VALUE).valid() && !FindHandle(nullptr).valid(); }},
        {"modules", [] { return ModuleHandle().get() == nullptr; }, [] { return !ModuleHandle(nullptr).valid(); }},
        {"registry keys", [] { return RegistryKey().get() == nullptr; }, [] { return !RegistryKey(nullptr).valid(); }},
        {"service-manager handles", [] { return ServiceHandle().get() == nullptr; },
         [] { return !ServiceHandle(nullptr).valid(); }},
        {"local memory", [] { return LocalMemory<>().get() == nullptr; }, [] { return !LocalMemory<>().valid(); }},
        {"CoTaskMem memory", [] { return CoTaskMemory<wchar_t>().get() == nullptr; },
         [] { return !CoTaskMemory<wchar_t>(nullptr).valid(); }},
        {"interface pointers", [] { return ComPointer<IUnknown>().get() == nullptr; },
         [] { return !ComPointer<IUnknown>(nullptr).valid(); }},
        {"GDI objects", [] { return BitmapHandle().get() == nullptr; }, [] { return !BitmapHandle(nullptr).valid(); }},
        {"made device contexts", [] { return CreatedDC().get() == nullptr; }, [] { return !CreatedDC(nullptr).valid(); }},
        {"the screen's device context", [] { return ScreenDC().get() == nullptr; },
         [] { return !ScreenDC(nullptr).valid(); }},
        {"a painting", [] { return PaintingHandle().get().window == nullptr; },
         [] { return !PaintingHandle(Marlin::WindowPainting{}).valid(); }},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        CHECK(row.emptyHoldsFailureValue());
        CHECK(row.failureValuesMeanNone());
    }
}

TEST_CASE("each real kind's close reaches the system") {
    quaytest::TempDir dir;
    quaytest::WriteBytes(dir / L"f.bin", "x");
    const std::wstring file = dir / L"f.bin";
    const struct {
        const char* name;
        // Makes an object, hands it to an owner that goes, and says whether it is gone.
        std::function<bool()> ownedObjectGoes;
    } rows[] = {
        {"kernel handle", [] {
             HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
             REQUIRE(raw != nullptr);
             { KernelHandle owner(raw); CHECK(IsOpenKernelHandle(raw)); }
             return !IsOpenKernelHandle(raw);
         }},
        {"file handle", [&] {
             HANDLE raw = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             REQUIRE(raw != INVALID_HANDLE_VALUE);
             {
                 FileHandle owner(raw);
                 // Held without sharing: nobody else can open it meanwhile.
                 CHECK(!FileHandle(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
             }
             return FileHandle(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)).valid();
         }},
        {"registry key", [] {
             HKEY raw = nullptr;
             REQUIRE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &raw) == ERROR_SUCCESS);
             { RegistryKey owner(raw); }
             DWORD subkeys = 0;
             return RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr) == ERROR_INVALID_HANDLE;
         }},
        {"GDI object", [] {
             HBITMAP raw = CreateBitmap(4, 4, 1, 32, nullptr);
             REQUIRE(raw != nullptr);
             { BitmapHandle owner(raw); CHECK_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP)); }
             return GetObjectType(raw) == 0;
         }},
        {"made device context", [] {
             HDC raw = CreateCompatibleDC(nullptr);
             REQUIRE(raw != nullptr);
             { CreatedDC owner(raw); CHECK_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_MEMDC)); }
             return GetObjectType(raw) == 0;
         }},
        {"interface pointer", [] {
             CountedUnknown object;
             {
                 ComPointer<IUnknown> owner(&object);
                 ComPointer<IUnknown> moved(std::move(owner));
                 CHECK_EQ(moved->AddRef(), 2ul);  // used through the owner
                 moved->Release();
             }
             return object.releases == 2 && object.references == 0;
         }},
        {"menu", [] {
             HMENU raw = CreatePopupMenu();
             REQUIRE(raw != nullptr);
             { Marlin::MenuHandle owner(raw); CHECK(IsMenu(raw)); }
             return !IsMenu(raw);
         }},
        {"global memory", [] {
             HGLOBAL raw = GlobalAlloc(GMEM_MOVEABLE, 16);
             REQUIRE(raw != nullptr);
             { Marlin::GlobalMemory owner(raw); CHECK(GlobalSize(raw) >= 16); }
             return GlobalSize(raw) == 0;
         }},
        {"global lock", [] {
             Marlin::GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, 16));
             REQUIRE(memory);
             {
                 Marlin::LockedGlobal locked(Marlin::GlobalLocking{memory.get(), GlobalLock(memory.get())});
                 CHECK(locked.valid());
                 CHECK_EQ(GlobalFlags(memory.get()) & GMEM_LOCKCOUNT, 1u);
             }
             return (GlobalFlags(memory.get()) & GMEM_LOCKCOUNT) == 0;
         }},
        {"storage medium", [] {
             CountedUnknown owner;
             STGMEDIUM medium{};
             medium.tymed = TYMED_HGLOBAL;
             medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 16);
             REQUIRE(medium.hGlobal != nullptr);
             // Given to an owner of its own, ReleaseStgMedium hands it back there.
             medium.pUnkForRelease = &owner;
             owner.AddRef();
             { Marlin::StorageMedium held(medium); }
             const bool released = owner.releases == 1;
             GlobalFree(medium.hGlobal);
             return released;
         }},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        CHECK(row.ownedObjectGoes());
    }
}
