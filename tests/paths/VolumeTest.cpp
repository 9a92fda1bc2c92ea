// Volume roots, file-system queries, sector sizes and the transfer alignment.
#include <windows.h>

#include <vector>

#include "PathTestSupport.h"
#include "Paths.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "Volumes.h"

using namespace Marlin;
using pathtest::MissingDriveLetter;
using pathtest::Show;
using quaytest::MakeDir;
using quaytest::TempDir;
using quaytest::WriteBytes;

namespace {

// The drive's sector size read straight from the system, as the reference.
uint32_t SectorSizeOf(const wchar_t* root) {
    DWORD sectorsPerCluster, bytesPerSector = 0, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return 0;
    return bytesPerSector;
}

std::wstring MissingDrivePath(const wchar_t* rest) { return std::wstring(1, MissingDriveLetter()) + L":" + rest; }

}  // namespace

TEST_CASE("GetVolumeRoot gives the drive or the share a path lives on") {
    struct Row {
        const wchar_t* path;
        const wchar_t* expected;
    } rows[] = {
        {L"C:\\a\\b", L"C:\\"},
        {L"d:\\x", L"d:\\"},
        {L"D:", L"D:\\"},
        {L"C:\\", L"C:\\"},
        {L"\\\\srv\\share\\x\\y", L"\\\\srv\\share\\"},
        {L"\\\\srv\\share\\", L"\\\\srv\\share\\"},
        {L"\\\\srv\\share", L"\\\\srv\\share\\"},
        {L"\\\\srv", L"\\\\srv\\"},
        {L"", L""},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        CHECK_EQ(GetVolumeRoot(row.path), std::wstring(row.expected));
    }
}

TEST_CASE("file-system queries ask the path's volume and degrade to false where there is none") {
    TempDir dir;
    // Deep and missing below an existing drive: the query goes to the volume root.
    const std::wstring deep = dir / L"missing\\deeper\\x.txt";
    std::wstring name;
    REQUIRE(GetFileSystemName(deep, name));
    CHECK_EQ(name, std::wstring(L"NTFS"));  // what every drive of the test prefix reports
    CHECK(IsFileSystem(deep, L"ntfs"));
    CHECK(IsFileSystem(L"D:\\x", L"NtFs"));
    CHECK(!IsFileSystem(deep, L"FAT32"));
    CHECK(!IsFatVolume(deep));

    for (const std::wstring& nowhere : {MissingDrivePath(L"\\x"), std::wstring(L"\\\\srv\\share\\x")}) {
        CONTEXT(Show(nowhere));
        std::wstring untouched = L"before";
        CHECK(!GetFileSystemName(nowhere, untouched));
        CHECK_EQ(untouched, std::wstring(L"before"));
        CHECK(!IsFileSystem(nowhere, L"NTFS"));
        CHECK(!IsFatVolume(nowhere));
        CHECK(!SupportsNamedStreams(nowhere));
        CHECK(!SupportsEncryption(nowhere));
    }
}

TEST_CASE("GetBytesPerSector reads the nearest existing folder's volume, 0 where none exists") {
    TempDir dir, second(L'D');
    WriteBytes(dir / L"file.txt", "f");
    const uint32_t c = SectorSizeOf(L"C:\\"), d = SectorSizeOf(L"D:\\");
    REQUIRE(c != 0);
    REQUIRE(d != 0);
    struct Row {
        std::wstring path;
        uint32_t expected;
    } rows[] = {
        {dir.path(), c},
        {dir.path() + L"\\", c},
        {dir / L"missing\\deeper\\still", c},
        {dir / L"file.txt", c},
        {dir / L"file.txt\\below", c},
        {L"C:\\", c},
        {second / L"missing\\x", d},
        // Nothing above a missing drive or share exists, and the walk must not leave its
        // volume (the root of the current drive, "\", is another one) nor run forever.
        {MissingDrivePath(L"\\x\\y"), 0},
        {MissingDrivePath(L"\\"), 0},
        {L"\\\\srv\\share\\x", 0},
        {L"\\\\srv\\share", 0},
        {L"", 0},
    };
    for (const auto& row : rows) {
        CONTEXT(Show(row.path));
        CHECK_EQ(GetBytesPerSector(row.path), row.expected);
    }
}

TEST_CASE("the transfer alignment is the least common multiple of every sector size") {
    struct Row {
        uint32_t destination;
        std::vector<uint32_t> sources;
        uint64_t buffer;
        uint32_t expectedAlignment;
        uint64_t expectedBuffer;
    } rows[] = {
        {4096, {512}, 10000000, 4096, 9998336},
        {512, {4096}, 10000000, 4096, 9998336},
        {512, {512, 512}, 10000000, 512, 9999872},
        {4096, {2048, 8192}, 0x4000000, 8192, 0x4000000},
        {512, {520}, 100000, 33280, 99840},
        {3, {2}, 20, 6, 18},
        {512, {}, 1000, 512, 512},
        {512, {512}, 0x100000001ull, 512, 0x100000000ull},  // buffers beyond 32 bits
        {4096, {512}, 4096, 4096, 4096},
        // A buffer that cannot hold one aligned unit stays, and needs no alignment.
        {4096, {512}, 4095, 0, 4095},
        // One unknown sector size anywhere makes the alignment unknown.
        {0, {512}, 10000000, 0, 10000000},
        {4096, {0}, 10000000, 0, 10000000},
        {4096, {0, 512}, 10000000, 0, 10000000},
        {4096, {512, 0}, 10000000, 0, 10000000},
        // A multiple beyond 32 bits is no usable alignment.
        {0x10000, {0x10001}, 0xFFFFFFFFFFull, 0, 0xFFFFFFFFFFull},
    };
    for (const auto& row : rows) {
        CONTEXT(std::to_string(row.destination) + " with " + std::to_string(row.sources.size()) + " sources, buffer " +
                std::to_string(row.buffer));
        uint64_t buffer = row.buffer;
        CHECK_EQ(AlignBufferSizeToSectors(row.destination, row.sources, buffer), row.expectedAlignment);
        CHECK_EQ(buffer, row.expectedBuffer);
    }
}

TEST_CASE("AlignBufferSize aligns to the real drives and gives up where a drive is missing") {
    TempDir onC, onD(L'D');
    WriteBytes(onC / L"a.txt", "a");
    MakeDir(onD / L"tree");
    const uint32_t sector = SectorSizeOf(L"C:\\");
    REQUIRE(sector != 0);
    REQUIRE(SectorSizeOf(L"D:\\") == sector);  // both are the test prefix's 512-byte drives

    uint64_t buffer = 10000000;
    CHECK_EQ(AlignBufferSize({onC / L"a.txt", onD / L"tree"}, onD / L"not\\made\\yet", buffer), sector);
    CHECK_EQ(buffer, 10000000 / sector * sector);

    buffer = 10000000;
    CHECK_EQ(AlignBufferSize({}, onC.path(), buffer), sector);
    CHECK_EQ(buffer, 10000000 / sector * sector);

    buffer = 10000000;
    CHECK_EQ(AlignBufferSize({onC / L"a.txt", MissingDrivePath(L"\\x")}, onD.path(), buffer), 0u);
    CHECK_EQ(buffer, 10000000u);

    buffer = 10000000;
    CHECK_EQ(AlignBufferSize({onC / L"a.txt"}, L"\\\\srv\\share\\x", buffer), 0u);
    CHECK_EQ(buffer, 10000000u);

    buffer = sector - 1;
    CHECK_EQ(AlignBufferSize({onC / L"a.txt"}, onD.path(), buffer), 0u);
    CHECK_EQ(buffer, uint64_t{sector - 1});
}
