// The retry question made from a failed platform call: which item it shows, with which
// attributes, and whether it offers administrator rights.
#include <windows.h>

#include <cstring>
#include <string>

#include "COSVersion.h"
#include "ElevationProbe.h"
#include "SluiceExceptionRetryFile.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using Marlin::COSVersion;
using Marlin::WindowsFileException;
using Marlin::Sluice::ElevationProbe;
using Marlin::Sluice::SluiceExceptionRetryFile;

namespace {

bool IsZero(const WIN32_FILE_ATTRIBUTE_DATA& a) {
    static const WIN32_FILE_ATTRIBUTE_DATA zero{};
    return std::memcmp(&a, &zero, sizeof a) == 0;
}

bool IsFolderBlock(const WIN32_FILE_ATTRIBUTE_DATA& a) { return (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

class SystemOfMajorVersion : public COSVersion {
public:
    explicit SystemOfMajorVersion(DWORD major) : COSVersion(major, 0) {}
};

// A process token with the elevation the test wants, or one that cannot be read.
class PresentedToken : public ElevationProbe {
public:
    PresentedToken(const COSVersion& system, bool readable, uint32_t elevation)
        : ElevationProbe(system), readable_(readable), elevation_(elevation) {}
    bool ReadTokenElevation(uint32_t& elevation) const override {
        ++queries;
        if (!readable_) return false;
        elevation = elevation_;
        return true;
    }
    mutable int queries = 0;

private:
    bool readable_;
    uint32_t elevation_;
};

}  // namespace

TEST_CASE("a retry question shows the failed item, or its folder once the item is gone") {
    quaytest::TempDir dir;
    quaytest::WriteBytes(dir / L"f.txt", "12345");
    quaytest::MakeDir(dir / L"sub");
    // Beyond MAX_PATH: Windows finds these only through the long-path prefix (Wine
    // finds them either way).
    std::wstring deep = dir / std::wstring(120, L'a') + L"\\" + std::wstring(120, L'b');
    quaytest::MakeDir(deep);
    quaytest::WriteBytes(deep + L"\\g.bin", "123");
    REQUIRE(deep.size() > MAX_PATH);

    enum Kind { File, Folder, None };
    struct Row {
        const char* what;
        std::wstring failed;
        std::wstring shown;
        Kind kind;
        DWORD size;
    } rows[] = {
        {"existing file", dir / L"f.txt", dir / L"f.txt", File, 5},
        {"stream of an existing file", dir / L"f.txt:s1:$DATA", dir / L"f.txt", File, 5},
        {"existing folder", dir / L"sub", dir / L"sub", Folder, 0},
        {"file that is gone", dir / L"gone.txt", dir.path(), Folder, 0},
        {"stream of a file that is gone", dir / L"gone.txt:s1", dir.path(), Folder, 0},
        {"file whose folder is gone too", dir / L"nofolder\\gone.txt", dir / L"nofolder", None, 0},
        {"stream of a file in a long path", deep + L"\\g.bin:s1:$DATA", deep + L"\\g.bin", File, 3},
        {"file gone from a long path", deep + L"\\gone.bin", deep, Folder, 0},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        WindowsFileException error(ERROR_ACCESS_DENIED, row.failed);
        SluiceExceptionRetryFile retry(error);
        CHECK_EQ(retry.path, row.shown);
        CHECK_EQ(retry.attributesValid, row.kind == None ? 0 : 1);
        if (row.kind == None) {
            CHECK(IsZero(retry.attributes));
        } else {
            CHECK_EQ(IsFolderBlock(retry.attributes), row.kind == Folder);
            CHECK(retry.attributes.ftLastWriteTime.dwLowDateTime != 0 ||
                  retry.attributes.ftLastWriteTime.dwHighDateTime != 0);
        }
        if (row.kind == File) CHECK_EQ(retry.attributes.nFileSizeLow, row.size);
    }
}

TEST_CASE("a retry question about a drive root, or an item gone from one, shows the root unqueried") {
    // The root exists, so querying it would report valid attributes.
    wchar_t name[64];
    swprintf(name, 64, L"C:\\quaytest-gone-%lu.txt", GetCurrentProcessId());
    const std::wstring gone = name;
    REQUIRE(!quaytest::Exists(gone));
    struct Row {
        const char* what;
        std::wstring failed;
    } rows[] = {
        {"file gone from the root", gone},
        {"stream of a file gone from the root", gone + L":s1"},
        {"the root itself", L"C:\\"},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        WindowsFileException error(ERROR_FILE_NOT_FOUND, row.failed);
        SluiceExceptionRetryFile retry(error);
        CHECK_EQ(retry.path, std::wstring(L"C:\\"));
        CHECK_EQ(retry.attributesValid, 0);
        CHECK(IsZero(retry.attributes));
    }
}

TEST_CASE("a retry question keeps the failure's message and code and borrows the failure itself") {
    quaytest::TempDir dir;
    WindowsFileException error(ERROR_SHARING_VIOLATION, dir.path());
    error.message = "kept";
    error.code = 7;
    SluiceExceptionRetryFile retry(error);
    CHECK_EQ(retry.type, 14);
    CHECK_EQ(retry.message, std::string("kept"));
    CHECK_EQ(retry.code, 7);
    CHECK_EQ(retry.ownsInner, 0);
    CHECK(retry.inner == &error);
    CHECK_EQ(retry.inner->error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
}

TEST_CASE("administrator rights are offered only to a process that can gain them") {
    struct Row {
        const char* what;
        DWORD major;
        bool readable;
        uint32_t tokenElevation;
        int32_t elevated;
        int queries;
    } rows[] = {
        {"elevated token", 6, true, 1, 1, 1},
        {"token without elevation", 6, true, 0, 0, 1},
        {"token without elevation on a newer system", 10, true, 0, 0, 1},
        {"token that cannot be read", 6, false, 0, 0, 1},
        {"system without elevation, token says none", 5, true, 0, 1, 0},
        {"system without elevation, token unreadable", 5, false, 0, 1, 0},
    };
    quaytest::TempDir dir;
    WindowsFileException error(ERROR_ACCESS_DENIED, dir / L"f.txt");
    for (const Row& row : rows) {
        CONTEXT(row.what);
        PresentedToken token(SystemOfMajorVersion(row.major), row.readable, row.tokenElevation);
        SluiceExceptionRetryFile retry(error, token);
        CHECK_EQ(retry.elevated, row.elevated);
        CHECK_EQ(token.queries, row.queries);
    }
}

TEST_CASE("the process's own token is read: Wine's is elevated") {
    uint32_t elevation = 0;
    CHECK(ElevationProbe().ReadTokenElevation(elevation));
    CHECK(elevation != 0);
    quaytest::TempDir dir;
    WindowsFileException error(ERROR_ACCESS_DENIED, dir / L"f.txt");
    SluiceExceptionRetryFile retry(error);
    CHECK_EQ(retry.elevated, 1);
}
