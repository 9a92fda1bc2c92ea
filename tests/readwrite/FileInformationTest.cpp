// The reader's file information: the same 52 bytes as GetFileInformationByHandle for every
// file, while the volume is asked only once per folder.
#include <windows.h>

#include <cstring>
#include <string>

#include "UniqueHandle.h"
#include "FileInformationQuery.h"
#include "TestFiles.h"
#include "TestHarness.h"

using Marlin::Sluice::FileInformationQuery;

namespace {

// Counts the full platform calls, the expensive ones.
class CountingQuery : public FileInformationQuery {
public:
    int whole = 0;

protected:
    BOOL QueryWhole(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) override {
        ++whole;
        return FileInformationQuery::QueryWhole(file, info);
    }
};

Marlin::FileHandle OpenRead(const std::wstring& path) {
    return Marlin::FileHandle(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

void CheckSame(const BY_HANDLE_FILE_INFORMATION& got, const BY_HANDLE_FILE_INFORMATION& expected) {
    CHECK_EQ(got.dwFileAttributes, expected.dwFileAttributes);
    CHECK_EQ(got.ftCreationTime.dwLowDateTime, expected.ftCreationTime.dwLowDateTime);
    CHECK_EQ(got.ftCreationTime.dwHighDateTime, expected.ftCreationTime.dwHighDateTime);
    CHECK_EQ(got.ftLastAccessTime.dwLowDateTime, expected.ftLastAccessTime.dwLowDateTime);
    CHECK_EQ(got.ftLastWriteTime.dwLowDateTime, expected.ftLastWriteTime.dwLowDateTime);
    CHECK_EQ(got.ftLastWriteTime.dwHighDateTime, expected.ftLastWriteTime.dwHighDateTime);
    CHECK_EQ(got.dwVolumeSerialNumber, expected.dwVolumeSerialNumber);
    CHECK_EQ(got.nFileSizeHigh, expected.nFileSizeHigh);
    CHECK_EQ(got.nFileSizeLow, expected.nFileSizeLow);
    CHECK_EQ(got.nNumberOfLinks, expected.nNumberOfLinks);
    CHECK_EQ(got.nFileIndexHigh, expected.nFileIndexHigh);
    CHECK_EQ(got.nFileIndexLow, expected.nFileIndexLow);
    CHECK(std::memcmp(&got, &expected, sizeof got) == 0);
}

}  // namespace

TEST_CASE("file information equals the platform's, with one volume question per folder") {
    quaytest::TempDir c(L'C'), d(L'D');
    const std::wstring files[] = {
        c / L"a\\one.bin", c / L"a\\two.txt", c / L"b\\three.bin", d / L"x\\four.bin",
        c / L"A\\FIVE.bin",  // the first folder again, spelled in other case
    };
    quaytest::MakeDir(c / L"a");
    quaytest::MakeDir(c / L"b");
    quaytest::MakeDir(d / L"x");
    size_t size = 0;
    for (const std::wstring& f : files) {
        quaytest::WriteBytes(f, quaytest::PatternBytes(size, 3));
        size = size * 3 + 70000;
    }
    SetFileAttributesW(files[1].c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    CountingQuery query;
    int index = 0;
    for (const std::wstring& f : files) {
        CONTEXT("file " + std::to_string(index++));
        Marlin::FileHandle file = OpenRead(f);
        REQUIRE(file);
        BY_HANDLE_FILE_INFORMATION expected{};
        REQUIRE(GetFileInformationByHandle(file.get(), &expected));
        BY_HANDLE_FILE_INFORMATION got{};
        std::memset(&got, 0xAB, sizeof got);
        REQUIRE(query.Query(file.get(), f, got));
        CheckSame(got, expected);
    }
    // a, b and x were asked once each; the second and fifth file came from a's answer.
    CHECK_EQ(query.whole, 3);
    CHECK_EQ(query.RememberedCount(), 3u);

    // A named stream lies in its file's folder.
    query.Clear();
    Marlin::FileHandle file = OpenRead(files[0]);
    BY_HANDLE_FILE_INFORMATION got{};
    REQUIRE(query.Query(file.get(), files[0] + L":s1", got));
    REQUIRE(query.Query(file.get(), files[0], got));
    CHECK_EQ(query.whole, 4);
    SetFileAttributesW(files[1].c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE("file information: only so many folders are remembered, the least recently used go first") {
    quaytest::TempDir c(L'C');
    const int folders = static_cast<int>(FileInformationQuery::RememberedFolders) + 1;
    for (int i = 0; i < folders; ++i) {
        quaytest::MakeDir(c / (L"f" + std::to_wstring(i)));
        quaytest::WriteBytes(c / (L"f" + std::to_wstring(i) + L"\\x.bin"), "x");
    }
    CountingQuery query;
    auto ask = [&](int folder) {
        const std::wstring path = c / (L"f" + std::to_wstring(folder) + L"\\x.bin");
        Marlin::FileHandle file = OpenRead(path);
        BY_HANDLE_FILE_INFORMATION info{};
        REQUIRE(query.Query(file.get(), path, info));
    };
    for (int i = 0; i + 1 < folders; ++i) ask(i);
    ask(0);  // folder 0 becomes the most recently used one
    CHECK_EQ(query.whole, folders - 1);
    ask(folders - 1);  // pushes out folder 1, the least recently used
    CHECK_EQ(query.RememberedCount(), FileInformationQuery::RememberedFolders);
    ask(0);
    CHECK_EQ(query.whole, folders);
    ask(1);
    CHECK_EQ(query.whole, folders + 1);
}

TEST_CASE("file information of a handle that cannot be asked fails with the platform's error") {
    FileInformationQuery query;
    BY_HANDLE_FILE_INFORMATION info{};
    SetLastError(0);
    CHECK(!query.Query(nullptr, L"C:\\nowhere\\x.bin", info));
    CHECK(GetLastError() != 0);
    CHECK_EQ(query.RememberedCount(), 0u);
}
