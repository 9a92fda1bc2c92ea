// The small OS helpers: the stopwatch, run-time function lookup, the system version, the
// process-wide shell function and the shell library functions bound on first use.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

#include "COSVersion.h"
#include "DynamicFunctionObject.h"
#include "UniqueHandle.h"
#include "ShellFunctions.h"
#include "ShellLibraryFunctions.h"
#include "Stopwatch.h"
#include "TestHarness.h"

using namespace Marlin;

TEST_CASE("a stopwatch measures a sleep and keeps its stopped interval") {
    Stopwatch watch;
    CHECK_EQ(watch.ElapsedMicroseconds(), 0);
    CHECK_EQ(watch.StartToStopMicroseconds(), 0);

    watch.Start();
    Sleep(200);
    const int64_t running = watch.ElapsedMicroseconds();
    CHECK(running >= 150000);
    CHECK(running < 5000000);
    CHECK_EQ(watch.StartToStopMicroseconds(), 0);  // not stopped yet

    watch.Stop();
    const int64_t stopped = watch.StartToStopMicroseconds();
    CHECK(stopped >= running);
    CHECK(stopped < 5000000);
    Sleep(50);
    CHECK_EQ(watch.StartToStopMicroseconds(), stopped);
    CHECK(watch.ElapsedMicroseconds() >= stopped + 40000);

    // A new start forgets the old stop.
    watch.Start();
    CHECK_EQ(watch.StartToStopMicroseconds(), 0);
    watch.Stop();
    CHECK(watch.StartToStopMicroseconds() < stopped);
}

TEST_CASE("counter ticks convert to microseconds without overflowing on fast counters") {
    struct Row {
        int64_t ticks, frequency, expected;
    } rows[] = {
        {10000000, 10000000, 1000000},
        {15, 10, 1500000},
        {1, 3, 333333},
        {0, 10000000, 0},
        {12345, 0, 0},
        // Two days on a 3 GHz counter: ticks × 1 000 000 alone would exceed 64 bits.
        {3000000000ll * 172800, 3000000000ll, 172800ll * 1000000},
        {2999999999ll, 3000000000ll, 999999},
    };
    for (const auto& row : rows) {
        CONTEXT(std::to_string(row.ticks) + " at " + std::to_string(row.frequency));
        CHECK_EQ(Stopwatch::TicksToMicroseconds(row.ticks, row.frequency), row.expected);
    }
}

TEST_CASE("a dynamic function is found in a loaded module and empty for a missing export or module") {
    DynamicFunctionObject<decltype(::lstrlenW)> length(L"Kernel32.dll", "lstrlenW");
    REQUIRE(length);
    CHECK(!length.IsEmpty());
    CHECK_EQ(length(L"abcd"), 4);
    auto copy = length;
    CHECK_EQ(copy(L"ab"), 2);

    // What the writer looks up, and finds on every system since Vista.
    CHECK(DynamicFunctionObject<decltype(::SetFileInformationByHandle)>(L"Kernel32.dll", "SetFileInformationByHandle"));

    DynamicFunctionObject<decltype(::lstrlenW)> missingExport(L"Kernel32.dll", "NoSuchExportOfQuay");
    CHECK(missingExport.IsEmpty());
    CHECK(!missingExport);
    DynamicFunctionObject<decltype(::lstrlenW)> missingModule(L"NoSuchModuleOfQuay.dll", "lstrlenW");
    CHECK(missingModule.IsEmpty());
    CHECK(DynamicFunctionObject<decltype(::lstrlenW)>().IsEmpty());

    // A module that exists but is not loaded is not loaded for the lookup.
    REQUIRE(GetModuleHandleW(L"msi.dll") == nullptr);
    CHECK(DynamicFunctionObject<decltype(::lstrlenW)>(L"msi.dll", "MsiCloseHandle").IsEmpty());
    CHECK(GetModuleHandleW(L"msi.dll") == nullptr);
}

TEST_CASE("the shell's item function resolves once from the loaded shell32") {
    // The copy tool has shell32 loaded by its imports; this program imports nothing from it.
    Marlin::ModuleHandle shell32(LoadLibraryW(L"shell32.dll"));
    REQUIRE(shell32);
    CHECK(ResolveShellFunctions());
    const auto first = ShellCreateItemFromParsingName().get();
    REQUIRE(first != nullptr);
    auto expected = reinterpret_cast<SHCreateItemFromParsingNameFunction*>(
        GetProcAddress(shell32.get(), "SHCreateItemFromParsingName"));
    CHECK(first == expected);
    CHECK(ResolveShellFunctions());
    CHECK(ShellCreateItemFromParsingName().get() == first);
}

namespace {

// Presents another system version the way tests of the elevation paths do.
class PresentedVersion : public COSVersion {
public:
    explicit PresentedVersion(DWORD major) : COSVersion(major, 1) {}
};

}  // namespace

TEST_CASE("COSVersion reports the running system, and a test can present an older one") {
    COSVersion real;
    // The old packed call reports the same version without the structure sizes.
    const DWORD packed = GetVersion();
    CHECK_EQ(real.MajorVersion(), static_cast<DWORD>(LOBYTE(LOWORD(packed))));
    CHECK_EQ(real.Version().dwMinorVersion, static_cast<DWORD>(HIBYTE(LOWORD(packed))));
    CHECK_EQ(real.Version().dwOSVersionInfoSize, static_cast<DWORD>(sizeof(OSVERSIONINFOEXW)));
    CHECK(real.MajorVersion() >= 6);
    CHECK(!real.LacksElevation());
    CHECK(!real.IsWow64());  // a 64-bit program
    CHECK(real.ProductType() != 0);
    CHECK_EQ(real.SystemInfo().wProcessorArchitecture, static_cast<WORD>(PROCESSOR_ARCHITECTURE_AMD64));
    CHECK(real.SystemInfo().dwNumberOfProcessors >= 1);

    // A holder that keeps its COSVersion by value keeps the presented version.
    COSVersion older = PresentedVersion(5);
    CHECK_EQ(older.MajorVersion(), 5ul);
    CHECK(older.LacksElevation());
    CHECK_EQ(older.SystemInfo().dwPageSize, real.SystemInfo().dwPageSize);  // the rest is still real
    CHECK(!PresentedVersion(10).LacksElevation());
}

TEST_CASE("the shell library functions answer as shlwapi's own exports do") {
    // This program imports nothing from shlwapi; its exports are asked through a handle.
    Marlin::ModuleHandle shlwapi(LoadLibraryW(L"shlwapi.dll"));
    REQUIRE(shlwapi);
    DynamicFunctionObject<decltype(::PathIsUNCW)> isUnc(shlwapi.get(), "PathIsUNCW");
    DynamicFunctionObject<decltype(::PathIsUNCServerShareW)> isServerShare(shlwapi.get(), "PathIsUNCServerShareW");
    DynamicFunctionObject<decltype(::PathGetCharTypeW)> charType(shlwapi.get(), "PathGetCharTypeW");
    REQUIRE(isUnc);
    REQUIRE(isServerShare);
    REQUIRE(charType);
    const wchar_t* paths[] = {L"",
                              L"C:\\a",
                              L"\\\\server",
                              L"\\\\server\\share",
                              L"\\\\server\\share\\folder",
                              L"\\\\?\\C:\\a",
                              L"\\\\?\\UNC\\server\\share",
                              L"\\a",
                              L"a\\b"};
    for (const wchar_t* path : paths) {
        CONTEXT(std::string(path, path + wcslen(path)));
        CHECK_EQ(ShellPathIsUNC(path) != FALSE, isUnc(path) != FALSE);
        CHECK_EQ(ShellPathIsUNCServerShare(path) != FALSE, isServerShare(path) != FALSE);
    }
    for (wchar_t c = 0; c < 0x3100; ++c) {
        if (ShellPathGetCharType(c) != charType(c)) {
            CHECK_EQ(ShellPathGetCharType(c), charType(c));
            break;
        }
    }
}

TEST_CASE("the desktop folder and its strings come from the shell loaded on first use") {
    CoInitialize(nullptr);
    {
        Marlin::ComPointer<IShellFolder> desktop;
        REQUIRE(SUCCEEDED(ShellGetDesktopFolder(desktop.put())));
        REQUIRE(desktop.valid());
        CHECK(GetModuleHandleW(L"shell32.dll") == Shell32Module());
        CHECK(Shell32Module() != nullptr);
        STRRET text{};
        text.uType = STRRET_WSTR;
        text.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(4 * sizeof(wchar_t)));
        REQUIRE(text.pOleStr != nullptr);
        wcscpy(text.pOleStr, L"abc");
        wchar_t* out = nullptr;
        REQUIRE(SUCCEEDED(ShellStrRetToStr(&text, nullptr, &out)));
        CHECK(std::wstring(out) == L"abc");
        ShellTaskMemFree(out);
        ShellTaskMemFree(nullptr);
    }  // the folder goes before COM does
    CoUninitialize();
}
