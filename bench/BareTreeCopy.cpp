// bench-bare: copies a folder tree with the fewest calls a Windows program can copy a file
// with, on one thread: open the source, read it whole, close it, create the destination,
// write it whole, close it. No times, no attributes, no pre-sizing, no unbuffered I/O.
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

#include "FileHandle.h"

namespace {

std::wstring Long(const std::wstring& p) { return p.rfind(L"\\\\", 0) == 0 ? p : L"\\\\?\\" + p; }

constexpr DWORD kChunk = 1 << 20;

bool CopyFileBare(const std::wstring& from, const std::wstring& to, std::vector<char>& buffer) {
    Quay::FileHandle source(CreateFileW(Long(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source) return false;
    Quay::FileHandle destination(
        CreateFileW(Long(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!destination) return false;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(source.get(), buffer.data(), kChunk, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteFile(destination.get(), buffer.data(), got, &put, nullptr) || put != got) return false;
    }
}

bool CopyTree(const std::wstring& source, const std::wstring& destination, std::vector<char>& buffer) {
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
            if (!CopyTree(from, to, buffer)) return false;
        } else if (!CopyFileBare(from, to, buffer)) {
            std::fprintf(stderr, "cannot copy %ls: %lu\n", from.c_str(), GetLastError());
            return false;
        }
    } while (FindNextFileW(find.get(), &fd));
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-bare SOURCE-FOLDER DESTINATION-FOLDER\n");
        return 64;
    }
    std::vector<char> buffer(kChunk);
    return CopyTree(argv[1], argv[2], buffer) ? 0 : 1;
}
