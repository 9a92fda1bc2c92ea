#include "ReadWriteFiles.h"

#include <cstdio>

#include "UniqueHandle.h"
#include "TestFiles.h"
#include "TestHarness.h"

namespace rwtest {

WIN32_FILE_ATTRIBUTE_DATA FileData(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW((L"\\\\?\\" + path).c_str(), GetFileExInfoStandard, &data))
        FAIL("no such file: " + quaytest::Utf8(path));
    return data;
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d = FileData(path);
    return (uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
}

FILETIME LastWriteTime(const std::wstring& path) { return FileData(path).ftLastWriteTime; }

void SetAttributes(const std::wstring& path, DWORD attributes) {
    REQUIRE(SetFileAttributesW((L"\\\\?\\" + path).c_str(), attributes));
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

void ResizeFromOutside(const std::wstring& path, uint64_t size) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    static auto unixName =
        reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    if (!unixName) FAIL("this test changes a file from outside Windows and needs Wine to do so");
    char* name = unixName(path.c_str());
    REQUIRE(name != nullptr);
    std::wstring command = L"/usr/bin/truncate -s " + std::to_wstring(size) + L" \"" + quaytest::Widen(name) + L"\"";
    HeapFree(GetProcessHeap(), 0, name);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\usr\\bin\\truncate", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        FAIL("cannot start truncate: error " + std::to_string(GetLastError()));
    Marlin::KernelHandle process(pi.hProcess), thread(pi.hThread);
    // The handle Wine gives for a native program does not follow it to its end; the size
    // itself tells when it is done.
    for (int i = 0; i < 1000; ++i) {
        if (FileSize(path) == size) return;
        Sleep(10);
    }
    FAIL("the file did not change its size from outside");
}

}  // namespace rwtest
