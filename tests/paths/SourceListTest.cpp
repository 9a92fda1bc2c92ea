// Checks and clean-ups of a job's source list against its destination.
#include <windows.h>

#include <vector>

#include "PathTestSupport.h"
#include "Paths.h"
#include "SourceList.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace Marlin;
using pathtest::Show;
using pathtest::Upper;
using quaytest::MakeDir;
using quaytest::TempDir;
using quaytest::WriteBytes;

namespace {

using List = std::vector<std::wstring>;

std::string ShowList(const List& list) {
    std::string text = "{";
    for (const auto& item : list) text += (text.size() > 1 ? ", " : "") + Show(item);
    return text + "}";
}

}  // namespace

TEST_CASE("RemoveTrailingBackslashes cleans every path but keeps drive roots") {
    List sources = {L"C:\\a\\", L"C:\\", L"D:\\b\\\\", L"\\\\srv\\share\\", L"C:\\c"};
    std::wstring destination = L"D:\\x\\";
    RemoveTrailingBackslashes(sources, destination);
    CHECK_EQ(ShowList(sources), ShowList({L"C:\\a", L"C:\\", L"D:\\b\\", L"\\\\srv\\share", L"C:\\c"}));
    CHECK_EQ(destination, std::wstring(L"D:\\x"));

    std::wstring root = L"C:\\";
    RemoveTrailingBackslashes(sources, root);
    CHECK_EQ(root, std::wstring(L"C:\\"));
}

TEST_CASE("RemoveSourcesInDestination drops the sources already in the destination folder, in order") {
    struct Row {
        List sources;
        std::wstring destination;
        List expected;
    } rows[] = {
        {{L"C:\\t\\a", L"c:\\T\\b.txt", L"C:\\t\\sub\\c", L"C:\\u\\d", L"C:\\t", L"C:\\tt\\e", L"D:\\t\\f"},
         L"C:\\t",
         {L"C:\\t\\sub\\c", L"C:\\u\\d", L"C:\\t", L"C:\\tt\\e", L"D:\\t\\f"}},
        {{L"C:\\x", L"C:\\", L"D:\\y", L"C:\\a\\b"}, L"C:\\", {L"D:\\y", L"C:\\a\\b"}},
        {{L"\\\\srv\\share\\a", L"\\\\srv\\other\\b"}, L"\\\\SRV\\Share", {L"\\\\srv\\other\\b"}},
        {{L"C:\\t\\a"}, L"C:\\t", {}},
        {{}, L"C:\\t", {}},
    };
    for (auto& row : rows) {
        CONTEXT(ShowList(row.sources) + " -> " + Show(row.destination));
        RemoveSourcesInDestination(row.sources, row.destination);
        CHECK_EQ(ShowList(row.sources), ShowList(row.expected));
    }
}

TEST_CASE("IsSameDrive needs every source on the destination's drive letter") {
    struct Row {
        List sources;
        std::wstring destination;
        bool expected;
    } rows[] = {
        {{L"C:\\a", L"c:\\b"}, L"C:\\x", true},
        {{L"d:\\a"}, L"D:\\x", true},
        {{}, L"C:\\x", true},
        {{L"C:\\a", L"D:\\b"}, L"C:\\", false},
        {{L"\\\\srv\\share\\a"}, L"C:\\x", false},
        {{L"C:\\a", L"\\\\srv\\share\\b"}, L"C:\\x", false},
        {{L"\\\\srv\\share\\a"}, L"\\\\srv\\share\\b", false},  // one share is no drive letter
        {{L"1:\\a"}, L"1:\\b", false},
        {{L""}, L"C:\\x", false},
        {{L"C:\\a"}, L"", false},
    };
    for (const auto& row : rows) {
        CONTEXT(ShowList(row.sources) + " -> " + Show(row.destination));
        CHECK_EQ(IsSameDrive(row.sources, row.destination), row.expected);
    }
}

TEST_CASE("IsDestinationInsideSource finds a destination in or below a source folder, in any letter case") {
    TempDir dir, other(L'D');
    MakeDir(dir / L"a");
    MakeDir(dir / L"ab");
    WriteBytes(dir / L"f.txt", "f");
    const std::wstring a = dir / L"a";
    struct Row {
        List sources;
        std::wstring destination;
        bool expected;
    } rows[] = {
        {{a}, a, true},
        {{a}, Upper(a), true},
        {{a}, a + L"\\b", true},
        {{a}, Upper(a) + L"\\b", true},
        {{Upper(a)}, a + L"\\b\\c", true},
        {{a}, a + L"\\", true},
        {{a}, dir / L"ab", false},
        {{a}, dir / L"ab\\x", false},
        {{a}, dir.path(), false},
        {{dir / L"ab", a}, a + L"\\x", true},
        // Only folders can hold a destination.
        {{dir / L"f.txt"}, dir / L"f.txt\\x", false},
        {{dir / L"missing"}, dir / L"missing\\x", false},
        {{L"\\\\srv\\share\\a"}, L"\\\\srv\\share\\a\\b", false},
        // A drive root holds every path of its drive.
        {{L"C:\\"}, a, true},
        {{L"c:\\"}, L"C:\\", true},
        {{L"C:\\"}, other / L"x", false},
        {{L"D:\\"}, other / L"x", true},
        {{}, a, false},
    };
    for (const auto& row : rows) {
        CONTEXT(ShowList(row.sources) + " -> " + Show(row.destination));
        CHECK_EQ(IsDestinationInsideSource(row.sources, row.destination), row.expected);
    }
}
