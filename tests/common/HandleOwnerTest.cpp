#include <windows.h>

#include "UniqueHandle.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::FileHandle;
using Marlin::KernelHandle;

static bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

TEST_CASE("handle owners close what they own once, and moves hand ownership over") {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    REQUIRE(raw != nullptr);
    {
        KernelHandle a(raw);
        KernelHandle b(std::move(a));
        CHECK(!a.valid());
        CHECK(b.get() == raw);
        CHECK(IsOpen(raw));
    }
    CHECK(!IsOpen(raw));

    quaytest::TempDir dir;
    std::wstring file = dir / L"f.bin";
    HANDLE rf = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(rf != INVALID_HANDLE_VALUE);
    {
        FileHandle f(rf);
        FileHandle g;
        CHECK(!g.valid());
        g = std::move(f);
        CHECK(!f.valid());
        CHECK(g.get() == rf);
        // While the file is held without sharing, nobody else can open it.
        CHECK(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE);
    }
    FileHandle again(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    CHECK(again.valid());
}

TEST_CASE("a released handle is no longer closed by its owner") {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        KernelHandle a(raw);
        CHECK(a.release() == raw);
    }
    CHECK(IsOpen(raw));
    CloseHandle(raw);
}
