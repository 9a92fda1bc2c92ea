// bench-bare: copies a folder tree with the fewest calls a Windows program can copy a file
// with, on one thread: open the source, create the destination, read and write it in
// requests of 1 MiB, close both. No times, no attributes, no pre-sizing, no unbuffered I/O.
//
// It is not a copier anyone should use; it is the floor of the benchmarks. Whatever a
// real copier does per file costs at least this much on the system it runs on, so for
// many small files the ratio of this time to a native copier's is the part of the
// engine's ratio that the platform sets and no copy design can remove.
//
//   bench-bare SOURCE-FOLDER DESTINATION-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "TreeCopy.h"

namespace {

using QuayBench::LongPath;

constexpr DWORD kChunk = 1 << 20;

bool CopyFileBare(const std::wstring& from, const std::wstring& to, std::vector<char>& buffer) {
    Marlin::FileHandle source(CreateFileW(LongPath(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source) return false;
    Marlin::FileHandle destination(
        CreateFileW(LongPath(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!destination) return false;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(source.get(), buffer.data(), kChunk, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteFile(destination.get(), buffer.data(), got, &put, nullptr) || put != got) return false;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-bare SOURCE-FOLDER DESTINATION-FOLDER\n");
        return 64;
    }
    std::vector<char> buffer(kChunk);
    auto copy = [&buffer](const std::wstring& from, const std::wstring& to) { return CopyFileBare(from, to, buffer); };
    return QuayBench::CopyTree(argv[1], argv[2], copy) ? 0 : 1;
}
