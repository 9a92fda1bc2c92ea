// bench-copyfileex: copies a folder tree file by file with CopyFileExW, the way the
// system's own shell copy moves data. A peer for the engine in the benchmarks.
//
//   bench-copyfileex SOURCE-FOLDER DESTINATION-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "FileHandle.h"

namespace {

std::wstring Long(const std::wstring& p) { return p.rfind(L"\\\\", 0) == 0 ? p : L"\\\\?\\" + p; }

bool CopyTree(const std::wstring& source, const std::wstring& destination) {
    if (!CreateDirectoryW(Long(destination).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "cannot create %ls: %lu\n", destination.c_str(), GetLastError());
        return false;
    }
    WIN32_FIND_DATAW fd;
    Quay::FindHandle find(FindFirstFileW(Long(source + L"\\*").c_str(), &fd));
    if (!find) return true;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring from = source + L"\\" + name, to = destination + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!CopyTree(from, to)) return false;
        } else if (!CopyFileExW(Long(from).c_str(), Long(to).c_str(), nullptr, nullptr, nullptr, 0)) {
            std::fprintf(stderr, "cannot copy %ls: %lu\n", from.c_str(), GetLastError());
            return false;
        }
    } while (FindNextFileW(find.get(), &fd));
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-copyfileex SOURCE-FOLDER DESTINATION-FOLDER\n");
        return 64;
    }
    return CopyTree(argv[1], argv[2]) ? 0 : 1;
}
