// Path operations that work on the text alone.
#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "PathTestSupport.h"
#include "Paths.h"
#include "TestHarness.h"

using namespace Marlin;
using pathtest::Show;

TEST_CASE("ToLongPath prefixes local paths and leaves long and UNC paths alone") {
    struct Row {
        const wchar_t* path;
        const wchar_t* expected;
    } rows[] = {
        {L"C:\\a", L"\\\\?\\C:\\a"},
        {L"d:\\x\\y.txt", L"\\\\?\\d:\\x\\y.txt"},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
        {L"\\\\srv\\share\\a", L"\\\\srv\\share\\a"},
        {L"\\\\srv\\share", L"\\\\srv\\share"},
        {L"\\\\?\\UNC\\srv\\share\\a", L"\\\\?\\UNC\\srv\\share\\a"},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        CHECK_EQ(ToLongPath(row.path), std::wstring(row.expected));
    }
}

TEST_CASE("RemoveTrailingBackslash removes one backslash at most, also from a drive root") {
    struct Row {
        const wchar_t* path;
        const wchar_t* expected;
    } rows[] = {
        {L"C:\\a\\", L"C:\\a"},   {L"C:\\a\\\\", L"C:\\a\\"},           {L"C:\\a", L"C:\\a"},
        {L"C:\\", L"C:"},         {L"\\\\srv\\share\\", L"\\\\srv\\share"}, {L"", L""},
        {L"\\", L""},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        CHECK_EQ(RemoveTrailingBackslash(row.path), std::wstring(row.expected));
    }
}

TEST_CASE("IsDriveRoot accepts exactly a letter, a colon and a backslash") {
    struct Row {
        const wchar_t* path;
        bool expected;
    } rows[] = {
        {L"C:\\", true}, {L"d:\\", true}, {L"C:", false}, {L"C:\\a", false}, {L"C:\\\\", false},
        {L"\\\\srv\\share\\", false}, {L"", false}, {L"C:/", false},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        CHECK_EQ(IsDriveRoot(row.path), row.expected);
    }
}

TEST_CASE("SplitPath splits like the C runtime, also paths longer than its limits") {
    struct Row {
        std::wstring path, drive, folder, baseName, extension;
    };
    const std::wstring deepFolder = L"\\" + std::wstring(300, L'x') + L"\\" + std::wstring(300, L'y') + L"\\";
    const Row rows[] = {
        {L"C:\\a\\b.txt", L"C:", L"\\a\\", L"b", L".txt"},
        {L"C:\\a\\b.tar.gz", L"C:", L"\\a\\", L"b.tar", L".gz"},
        {L"C:\\a.d\\b", L"C:", L"\\a.d\\", L"b", L""},
        {L"C:\\a\\.hidden", L"C:", L"\\a\\", L"", L".hidden"},
        {L"C:\\a\\b.", L"C:", L"\\a\\", L"b", L"."},
        {L"C:\\", L"C:", L"\\", L"", L""},
        {L"C:", L"C:", L"", L"", L""},
        {L"C:b.txt", L"C:", L"", L"b", L".txt"},
        {L"C:/a/b.txt", L"C:", L"/a/", L"b", L".txt"},
        {L"C:\\a\\b.txt:s1", L"C:", L"\\a\\", L"b", L".txt:s1"},
        {L"\\\\srv\\share\\x\\y.z", L"", L"\\\\srv\\share\\x\\", L"y", L".z"},
        {L"\\\\?\\C:\\a\\b.txt", L"", L"\\\\?\\C:\\a\\", L"b", L".txt"},
        {L"C:\\フォルダ\\ファイル.テキスト", L"C:", L"\\フォルダ\\", L"ファイル", L".テキスト"},
        {L"b", L"", L"", L"b", L""},
        {L"", L"", L"", L"", L""},
        {L"C:" + deepFolder + L"f.txt", L"C:", deepFolder, L"f", L".txt"},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        std::wstring drive = L"?", folder = L"?", baseName = L"?", extension = L"?";
        SplitPath(row.path, &drive, &folder, &baseName, &extension);
        CHECK_EQ(drive, row.drive);
        CHECK_EQ(folder, row.folder);
        CHECK_EQ(baseName, row.baseName);
        CHECK_EQ(extension, row.extension);

        // Within the runtime's own limits both splitters agree.
        if (row.path.size() < MAX_PATH) {
            wchar_t d[_MAX_DRIVE], f[_MAX_DIR], n[_MAX_FNAME], e[_MAX_EXT];
            REQUIRE(_wsplitpath_s(row.path.c_str(), d, _MAX_DRIVE, f, _MAX_DIR, n, _MAX_FNAME, e, _MAX_EXT) == 0);
            CHECK_EQ(drive, std::wstring(d));
            CHECK_EQ(folder, std::wstring(f));
            CHECK_EQ(baseName, std::wstring(n));
            CHECK_EQ(extension, std::wstring(e));
        }
    }

    // Any output may be left out.
    std::wstring folder;
    SplitPath(L"C:\\a\\b.txt", nullptr, &folder, nullptr, nullptr);
    CHECK_EQ(folder, std::wstring(L"\\a\\"));
}

TEST_CASE("GetFileNamePart and RemoveStreamName keep the name and cut a stream off it") {
    struct Row {
        const wchar_t* path;
        const wchar_t* namePart;
        const wchar_t* withoutStream;
    } rows[] = {
        {L"C:\\a\\b.txt", L"b.txt", L"C:\\a\\b.txt"},
        {L"C:\\a\\b.txt:s1", L"b.txt:s1", L"C:\\a\\b.txt"},
        {L"C:\\a\\b.txt:s1:$DATA", L"b.txt:s1:$DATA", L"C:\\a\\b.txt"},
        // The stream's own dot makes the splitter see an extension; the cut still finds the file.
        {L"C:\\a.d\\b.txt:s.1", L"b.txt:s.1", L"C:\\a.d\\b.txt"},
        {L"C:\\a\\b:s.x", L"b:s.x", L"C:\\a\\b"},
        {L"\\\\?\\C:\\a\\b.txt:s", L"b.txt:s", L"\\\\?\\C:\\a\\b.txt"},
        {L"\\\\srv\\share\\f.txt:s", L"f.txt:s", L"\\\\srv\\share\\f.txt"},
        {L"\\\\srv\\share", L"share", L"\\\\srv\\share"},
        {L"C:\\a\\", L"", L"C:\\a\\"},
        {L"C:\\", L"", L"C:\\"},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        CHECK_EQ(GetFileNamePart(row.path), std::wstring(row.namePart));
        CHECK_EQ(RemoveStreamName(row.path), std::wstring(row.withoutStream));
    }
}

TEST_CASE("GetParentFolder climbs the given levels and gives a bare drive its backslash back") {
    struct Row {
        const wchar_t* path;
        int levels;
        const wchar_t* expected;
    } rows[] = {
        {L"C:\\a\\b", 1, L"C:\\a"},
        {L"C:\\a", 1, L"C:\\"},
        {L"C:\\", 1, L"C:\\"},
        {L"C:\\a\\b\\", 1, L"C:\\a"},
        {L"C:\\a\\b\\c", 2, L"C:\\a"},
        {L"C:\\a\\b", 5, L"C:\\"},
        {L"C:\\a\\b", 0, L"C:\\a\\b"},
        {L"C:\\a\\", 0, L"C:\\a"},
        {L"C:", 0, L"C:\\"},
        {L"d:\\x", 1, L"d:\\"},
        {L"D:\\x\\y.txt", 1, L"D:\\x"},
        {L"\\\\srv\\share\\a", 1, L"\\\\srv\\share"},
        {L"\\\\srv\\share\\a\\b", 2, L"\\\\srv\\share"},
        {L"\\\\srv\\share", 1, L"\\\\srv"},
        {L"a\\b", 1, L"a"},
        {L"b", 1, L""},
        {L"", 1, L""},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path) + " levels " + std::to_string(row.levels));
        CHECK_EQ(GetParentFolder(row.path, row.levels), std::wstring(row.expected));
    }
}

TEST_CASE("MakeValidFileName drops forbidden characters, then trailing spaces and dots") {
    struct Row {
        const wchar_t* name;
        const wchar_t* expected;
    } rows[] = {
        {L"Data: 1*", L"Data 1"},
        {L"name. . ", L"name"},
        {L"a<b>c|d\"e", L"abcde"},
        {L"a/b\\c?d", L"abcd"},
        {L"tab\there", L"tabhere"},
        {L"x . y", L"x . y"},
        {L" (C:)", L" (C)"},  // the shell's name of an unlabelled drive here: the leading space stays
        {L"ボリューム: 新規", L"ボリューム 新規"},
        {L"...", L""},
        {L" . ", L""},
        {L"*?", L""},
        {L"", L""},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.name));
        std::wstring name = row.name;
        bool nonEmpty = MakeValidFileName(name);
        CHECK_EQ(name, std::wstring(row.expected));
        CHECK_EQ(nonEmpty, !name.empty());
    }
}

TEST_CASE("PathEquals and PathStartsWith fold ASCII letters only") {
    struct Row {
        const wchar_t* a;
        const wchar_t* b;
        bool equal;
    } rows[] = {
        {L"C:\\ABC", L"c:\\abc", true},
        {L"C:\\a", L"C:\\a\\", false},
        {L"C:\\a", L"C:\\b", false},
        {L"a[", L"a{", false},  // these differ by the letter-case bit, but are no letters
        {L"a@", L"a`", false},
        {L"", L"", true},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.a) + " vs " + Show(row.b));
        CHECK_EQ(PathEquals(row.a, row.b), row.equal);
    }
    CHECK(PathStartsWith(L"c:\\A\\b", L"C:\\a\\"));
    CHECK(PathStartsWith(L"C:\\a", L""));
    CHECK(!PathStartsWith(L"C:\\a", L"C:\\a\\"));
    CHECK(!PathStartsWith(L"C:\\{\\b", L"C:\\[\\"));
}

TEST_CASE("a growing path buffer doubles and refuses a size beyond 32 bits") {
    CHECK_EQ(DoublePathBufferSize(0), 1u);
    CHECK_EQ(DoublePathBufferSize(1), 2u);
    CHECK_EQ(DoublePathBufferSize(512), 1024u);
    CHECK_EQ(DoublePathBufferSize(0x7FFFFFFFu), 0xFFFFFFFEu);
    for (uint64_t size : {uint64_t{0x80000000u}, uint64_t{0xFFFFFFFFu}, uint64_t{1} << 40}) {
        CONTEXT(std::to_string(size));
        bool refused = false;
        try {
            DoublePathBufferSize(size);
        } catch (const std::invalid_argument&) {
            refused = true;
        }
        CHECK(refused);
    }
}
