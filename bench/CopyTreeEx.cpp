// bench-copyfileex: copies a folder tree file by file with CopyFileExW, the way the
// system's own shell copy moves data. A peer for the engine in the benchmarks.
//
//   bench-copyfileex SOURCE-FOLDER DESTINATION-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "TreeCopy.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-copyfileex SOURCE-FOLDER DESTINATION-FOLDER\n");
        return 64;
    }
    auto copy = [](const std::wstring& from, const std::wstring& to) {
        using QuayBench::LongPath;
        return CopyFileExW(LongPath(from).c_str(), LongPath(to).c_str(), nullptr, nullptr, nullptr, 0) != FALSE;
    };
    return QuayBench::CopyTree(argv[1], argv[2], copy) ? 0 : 1;
}
