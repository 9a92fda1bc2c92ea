// A small tree read through the reader into the pool and written back out by the
// writer, on one thread: every file byte-identical, with its size and last-write time.
#include <windows.h>

#include <string>
#include <vector>

#include "CopyPump.h"
#include "ReadWriteFiles.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestPool.h"

using namespace rwtest;

namespace {

constexpr uint64_t KiB = 1024, MiB = 1024 * 1024;

struct TreeFile {
    const wchar_t* path;
    size_t size;
};
const TreeFile kTree[] = {
    {L"empty.txt", 0},
    {L"one.bin", 1},
    {L"docs\\five-thousand.dat", 5000},
    {L"docs\\big\\megabyte-and-three.bin", MiB + 3},
    {L"docs\\big\\exact-64k.bin", 64 * KiB},
    {L"last.bin", 3 * MiB + 4095},
};

// The files below root in the order a walk meets them, folders created at dest on the way.
void Walk(const std::wstring& root, const std::wstring& dest, const std::wstring& rel,
          std::vector<std::wstring>& files) {
    for (const std::wstring& name : quaytest::ListNames(root + rel)) {
        const std::wstring item = rel + L"\\" + name;
        if (quaytest::IsFolder(root + item)) {
            REQUIRE(CreateDirectoryW((dest + item).c_str(), nullptr));
            Walk(root, dest, item, files);
        } else {
            files.push_back(item);
        }
    }
}

}  // namespace

TEST_CASE("a tree copied through the pool on one thread comes out identical, sizes and times included") {
    struct Row {
        const char* name;
        uint32_t alignment;
        uint64_t pool, readChunk, writeChunk, threshold;
        bool poolFills;
    };
    const Row rows[] = {
        {"small pool, unbuffered, 256 KiB reads, 64 KiB writes", 4096, 1 * MiB, 256 * KiB, 64 * KiB, 0, true},
        {"small pool, no alignment", 0, 600 * KiB, 256 * KiB, 64 * KiB, 0, true},
        {"chunks larger than the pool", 4096, 256 * KiB, 16 * MiB, 16 * MiB, 0, true},
        {"pool for everything, 16 MiB chunks, buffered writes", 4096, 64 * MiB, 16 * MiB, 16 * MiB, ~uint64_t{0},
         false},
    };
    quaytest::TempDir source('C'), target('D');
    quaytest::MakeDir(source / L"docs\\big");
    uint32_t seed = 100;
    int day = 1;
    for (const TreeFile& f : kTree) {
        quaytest::WriteBytes(source / f.path, quaytest::PatternBytes(f.size, ++seed));
        SetLastWriteTime(source / f.path, Moment(2010, 5, ++day, 12, 30, 15));
    }

    for (const Row& row : rows) {
        CONTEXT(row.name);
        const std::wstring dest = target / L"copy";
        REQUIRE(CreateDirectoryW(dest.c_str(), nullptr));
        std::vector<std::wstring> files;
        Walk(source.path(), dest, L"", files);
        REQUIRE_EQ(files.size(), std::size(kTree));

        TestPool pool(row.pool, row.alignment);
        {
            CopyPump pump(pool.get(), row.readChunk, row.writeChunk, row.threshold);
            for (const std::wstring& f : files) pump.Add(source.path() + f, dest + f);
            pump.Run();
            CHECK_EQ(pump.readerWaits > 0, row.poolFills);
        }
        CHECK_EQ(pool->GetQueueCount(), 0u);
        CHECK_EQ(pool->GetUsedSize(), 0u);

        for (const TreeFile& f : kTree) {
            CONTEXT(quaytest::Utf8(f.path));
            const std::wstring from = source / f.path, to = dest + L"\\" + f.path;
            CHECK_EQ(FileSize(to), uint64_t{f.size});
            CHECK(quaytest::ReadBytes(to) == quaytest::ReadBytes(from));
            CHECK(SameTime(LastWriteTime(to), LastWriteTime(from)));
        }
        quaytest::RemoveTree(dest);
    }
}
