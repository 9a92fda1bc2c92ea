// A library held by its path: loaded once however often Load is called, freed by Free or,
// when still held, by the destructor; a path with no library leaves nothing held.
#include <windows.h>

#include <string>

#include "DllObject.h"
#include "Paths.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::DllObject;
using quaytest::TempDir;

namespace {

// The stand-in notice library next to this test, which notes each load and free.
std::wstring StandInPath() { return Marlin::GetModuleFolder() + L"\\Beaconry.dll"; }

struct NoticeLog {
    explicit NoticeLog(const TempDir& dir) : path(dir / L"log.txt") {
        SetEnvironmentVariableW(L"QUAY_NOTICE_LOG", path.c_str());
    }
    ~NoticeLog() { SetEnvironmentVariableW(L"QUAY_NOTICE_LOG", nullptr); }
    std::string Read() const { return quaytest::Exists(path) ? quaytest::ReadBytes(path) : std::string(); }
    std::wstring path;
};

}  // namespace

TEST_CASE("Load holds the library once, Free lets it go and clears the handle") {
    TempDir dir;
    NoticeLog log(dir);
    DllObject library;
    library.SetPath(StandInPath());
    REQUIRE(library.Load());
    const HMODULE first = library.Handle();
    CHECK(library.Load());  // a second Load takes no second reference
    CHECK(library.Handle() == first);
    CHECK(library.Free());
    CHECK(library.Handle() == nullptr);
    CHECK(GetModuleHandleW(L"Beaconry.dll") == nullptr);
    CHECK_EQ(log.Read(), std::string("load\nfree\n"));
    CHECK(library.Free());  // nothing held: nothing to do
}

TEST_CASE("the destructor frees a library still held") {
    TempDir dir;
    NoticeLog log(dir);
    {
        DllObject library;
        library.SetPath(StandInPath());
        REQUIRE(library.Load());
    }
    CHECK(GetModuleHandleW(L"Beaconry.dll") == nullptr);
    CHECK_EQ(log.Read(), std::string("load\nfree\n"));
}

TEST_CASE("a path without a library, or no path, leaves nothing held and is no error") {
    TempDir dir;
    for (const std::wstring& path : {dir / L"Beaconry.dll", std::wstring()}) {
        CONTEXT(quaytest::Utf8(path));
        DllObject library;
        library.SetPath(path);
        CHECK(!library.Load());
        CHECK(library.Handle() == nullptr);
        CHECK(library.Free());
    }
}
