#include "TreeCopy.h"

#include <windows.h>

#include <cstdio>

#include "UniqueHandle.h"

namespace QuayBench {

std::wstring LongPath(const std::wstring& path) { return path.rfind(L"\\\\", 0) == 0 ? path : L"\\\\?\\" + path; }

bool CopyTree(const std::wstring& source, const std::wstring& destination, const CopyOneFile& copyFile) {
    if (!CreateDirectoryW(LongPath(destination).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "cannot create %ls: %lu\n", destination.c_str(), GetLastError());
        return false;
    }
    WIN32_FIND_DATAW fd;
    Marlin::FindHandle find(FindFirstFileW(LongPath(source + L"\\*").c_str(), &fd));
    if (!find) return true;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring from = source + L"\\" + name, to = destination + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!CopyTree(from, to, copyFile)) return false;
        } else if (!copyFile(from, to)) {
            std::fprintf(stderr, "cannot copy %ls: %lu\n", from.c_str(), GetLastError());
            return false;
        }
    } while (FindNextFileW(find.get(), &fd));
    return true;
}

}  // namespace QuayBench
