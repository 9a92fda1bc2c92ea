// What the option creator makes of the job itself: the fixed tuning, the clean-up of the
// paths, the sources a move leaves out, when it refuses, and that the caller's own lists
// stay as they were.
#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

#include "CreateSluiceOptionCmdLine.h"
#include "ScriptedDestination.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestOsVersion.h"

using Marlin::Sluice::CreateSluiceOptionCmdLine;
using Marlin::Sluice::SluiceOption;
using optiontest::ScriptedDestination;
using optiontest::TestOsVersion;
using Paths = std::vector<std::wstring>;

namespace {

std::string Show(const Paths& paths) {
    std::string text = "{";
    for (const auto& path : paths) text += (text.size() > 1 ? ", " : "") + quaytest::Utf8(path);
    return text + "}";
}

// The creator keeps references to the job, so it must not accept values that die with the
// statement that builds it.
static_assert(std::is_constructible_v<CreateSluiceOptionCmdLine, Paths&, std::wstring&, int32_t&>);
static_assert(std::is_constructible_v<CreateSluiceOptionCmdLine, const Paths&, const std::wstring&, const int32_t&>);
static_assert(!std::is_constructible_v<CreateSluiceOptionCmdLine, Paths, std::wstring&, int32_t&>);
static_assert(!std::is_constructible_v<CreateSluiceOptionCmdLine, Paths&, std::wstring, int32_t&>);
static_assert(!std::is_constructible_v<CreateSluiceOptionCmdLine, Paths&, const wchar_t*, int32_t&>);
static_assert(!std::is_constructible_v<CreateSluiceOptionCmdLine, Paths&, std::wstring&, int32_t>);

}  // namespace

TEST_CASE("every option carries the fixed tuning, whatever the destination") {
    const Paths sources = {L"C:\\x"};
    const std::wstring destination = L"D:\\y";
    const int32_t copy = 0;
    ScriptedDestination scripted;
    CreateSluiceOptionCmdLine creator(sources, destination, copy, TestOsVersion(6, 1), scripted.Queries());
    REQUIRE_EQ(creator.Create(), 1);

    const SluiceOption& option = creator.GetOption();
    CHECK_EQ(option.algorithmKind, 2);
    CHECK_EQ(option.bufferPoolSize, uint64_t{0x4000000});
    CHECK_EQ(option.readChunkSize, uint64_t{0x1000000});
    CHECK_EQ(option.move, 0);
    CHECK_EQ(option.retryCount, 10);
    CHECK_EQ(option.retryIntervalMs, 100);
    // Only the second 32-bit reserved field is set; the others keep their zero.
    CHECK_EQ(option.reserved1, uint64_t{0});
    CHECK_EQ(option.reserved2, uint64_t{0});
    CHECK_EQ(option.reserved3, 0);
    CHECK_EQ(option.reserved4, 1);
    CHECK_EQ(option.reserved5, 0);
    // The description is asked about the destination the option holds.
    CHECK(scripted.described == Paths{L"D:\\y"});
}

TEST_CASE("sources and destination lose a trailing backslash, drive roots excepted") {
    struct Row {
        Paths sources;
        std::wstring destination;
        Paths storedSources;
        std::wstring storedDestination;
    } rows[] = {
        {{L"C:\\a\\"}, L"D:\\b\\", {L"C:\\a"}, L"D:\\b"},
        {{L"C:\\"}, L"D:\\b", {L"C:\\"}, L"D:\\b"},
        {{L"C:\\a\\", L"C:\\", L"C:\\c"}, L"D:\\", {L"C:\\a", L"C:\\", L"C:\\c"}, L"D:\\"},
        {{L"\\\\srv\\share\\a\\"}, L"\\\\srv\\share\\b\\", {L"\\\\srv\\share\\a"}, L"\\\\srv\\share\\b"},
    };
    for (const Row& row : rows) {
        CONTEXT(Show(row.sources) + " -> " + quaytest::Utf8(row.destination));
        const int32_t copy = 0;
        ScriptedDestination scripted;
        CreateSluiceOptionCmdLine creator(row.sources, row.destination, copy, TestOsVersion(6), scripted.Queries());
        CHECK_EQ(creator.Create(), 1);
        CHECK_EQ(Show(creator.GetOption().sources), Show(row.storedSources));
        CHECK_EQ(creator.GetOption().destination, row.storedDestination);
        CHECK(scripted.described == Paths{row.storedDestination});
    }
}

TEST_CASE("a move leaves out the sources that already lie in the destination folder") {
    struct Row {
        const char* what;
        Paths sources;
        std::wstring destination;
        int32_t move;
        int result;
        Paths storedSources;  // when the result is 1
        int32_t storedMove;
    } rows[] = {
        {"the only source is in the destination", {L"C:\\d\\a"}, L"C:\\d", 1, 0, {}, 0},
        {"the destination written with a backslash", {L"C:\\d\\a"}, L"C:\\d\\", 1, 0, {}, 0},
        {"the source written with a backslash", {L"C:\\d\\a\\"}, L"C:\\d", 1, 0, {}, 0},
        {"letters in other case", {L"c:\\D\\a"}, L"C:\\d", 1, 0, {}, 0},
        {"into the drive root", {L"C:\\a"}, L"C:\\", 1, 0, {}, 0},
        {"one of two sources is in the destination",
         {L"C:\\d\\a", L"C:\\e\\b", L"C:\\d\\c"}, L"C:\\d", 1, 1, {L"C:\\e\\b"}, 1},
        {"a source deeper below the destination stays", {L"C:\\d\\a\\b"}, L"C:\\d", 1, 1, {L"C:\\d\\a\\b"}, 1},
        {"a copy into the source's own folder keeps it", {L"C:\\d\\a"}, L"C:\\d", 0, 1, {L"C:\\d\\a"}, 0},
        // Only 1 is a move to the engine; another value must not slip past the check above
        // and then be taken for a move by some reader of the option.
        {"a move flag other than 1 is a copy", {L"C:\\d\\a"}, L"C:\\d", 2, 1, {L"C:\\d\\a"}, 0},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        ScriptedDestination scripted;
        CreateSluiceOptionCmdLine creator(row.sources, row.destination, row.move, TestOsVersion(6),
                                          scripted.Queries());
        CHECK_EQ(creator.Create(), row.result);
        if (row.result == 1) {
            CHECK_EQ(Show(creator.GetOption().sources), Show(row.storedSources));
            CHECK_EQ(creator.GetOption().move, row.storedMove);
        } else {
            // Refused before the destination is examined: no device scan, no wait for the service.
            CHECK(scripted.described.empty());
        }
    }
}

TEST_CASE("a job without a source or without a destination is refused") {
    struct Row {
        const char* what;
        Paths sources;
        std::wstring destination;
        int32_t move;
    } rows[] = {
        {"no source", {}, L"D:\\b", 0},
        {"no source, move", {}, L"D:\\b", 1},
        {"an empty destination", {L"C:\\a"}, L"", 0},
        {"an empty destination, move", {L"C:\\a"}, L"", 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        ScriptedDestination scripted;
        CreateSluiceOptionCmdLine creator(row.sources, row.destination, row.move, TestOsVersion(6),
                                          scripted.Queries());
        CHECK_EQ(creator.Create(), 0);
    }
}

TEST_CASE("the caller's sources, destination and move flag are left exactly as given") {
    const Paths given = {L"C:\\d\\a\\", L"C:\\e\\", L"C:\\"};
    const std::wstring givenDestination = L"C:\\d\\";
    Paths sources = given;
    std::wstring destination = givenDestination;
    int32_t move = 1;
    ScriptedDestination scripted;
    CreateSluiceOptionCmdLine creator(sources, destination, move, TestOsVersion(6), scripted.Queries());
    REQUIRE_EQ(creator.Create(), 1);

    CHECK_EQ(Show(sources), Show(given));
    CHECK_EQ(destination, givenDestination);
    CHECK_EQ(move, 1);
    // The option has the checked forms, so the checks ran on copies.
    CHECK_EQ(Show(creator.GetOption().sources), Show(Paths{L"C:\\e", L"C:\\"}));
    CHECK_EQ(creator.GetOption().destination, std::wstring(L"C:\\d"));
}

TEST_CASE("a second Create keeps nothing of what the first learnt about the destination") {
    const Paths sources = {L"C:\\x"};
    const std::wstring destination = L"E:\\y";
    const int32_t copy = 0;
    ScriptedDestination scripted;
    scripted.usbAttached = 1;
    scripted.mediaRemovable = 1;
    scripted.fileSystem = L"FAT";
    scripted.totalBytes = 0x40000000;
    CreateSluiceOptionCmdLine creator(sources, destination, copy, TestOsVersion(6), scripted.Queries());
    REQUIRE_EQ(creator.Create(), 1);
    REQUIRE_EQ(creator.GetOption().noBufferingThreshold, uint64_t{0});
    REQUIRE_EQ(creator.GetOption().foldersFirst, 0);

    // Now the medium is gone and the service does not answer: the removable-media answer of
    // the first call must not decide the second.
    scripted.usbAttached = 0;
    scripted.serviceAnswers = false;
    REQUIRE_EQ(creator.Create(), 1);
    CHECK_EQ(creator.GetDestinationInfo().diskCache.payload.hotplugInformationValid, 0u);
    CHECK_EQ(creator.GetDestinationInfo().diskCache.payload.hotplugInformation.MediaRemovable, 0);
    CHECK_EQ(creator.GetOption().noBufferingThreshold, SluiceOption::Never);
    CHECK_EQ(creator.GetOption().writeChunkSize, uint64_t{0x10000});
    CHECK_EQ(creator.GetOption().foldersFirst, 1);
}

TEST_CASE("paths given relative to the current folder are made full before anything reads their drive") {
    quaytest::TempDir dir(L'D');
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    REQUIRE(SetCurrentDirectoryW(dir.path().c_str()));
    struct Row {
        Paths sources;
        std::wstring destination;
        Paths wantSources;
        std::wstring wantDestination;
    } rows[] = {
        {{L"src"}, L"out", {dir / L"src"}, dir / L"out"},
        {{L".\\a\\", L"C:\\x"}, L"..\\out\\", {dir / L"a", L"C:\\x"}, dir.path().substr(0, dir.path().rfind(L'\\')) + L"\\out"},
        {{L"C:\\x"}, L"D:\\y", {L"C:\\x"}, L"D:\\y"},
        {{L"\\\\srv\\share\\x"}, L"D:\\y", {L"\\\\srv\\share\\x"}, L"D:\\y"},
    };
    for (const auto& row : rows) {
        CONTEXT(quaytest::Utf8(row.destination));
        const int32_t copy = 0;
        ScriptedDestination scripted;
        CreateSluiceOptionCmdLine creator(row.sources, row.destination, copy, TestOsVersion(6), scripted.Queries());
        CHECK_EQ(creator.Create(), 1);
        CHECK_EQ(Show(creator.GetOption().sources), Show(row.wantSources));
        CHECK_EQ(creator.GetOption().destination, row.wantDestination);
    }
    // Relative to D:, the same drive as the sources: the threads alternate as on one disk.
    const Paths sources = {L"src"};
    const std::wstring destination = L"out";
    const int32_t copy = 0;
    ScriptedDestination scripted;
    CreateSluiceOptionCmdLine creator(sources, destination, copy, TestOsVersion(6), scripted.Queries());
    REQUIRE_EQ(creator.Create(), 1);
    CHECK_EQ(creator.GetOption().readerWakeFreeBytes, SluiceOption::Never);
    SetCurrentDirectoryW(saved);
}
