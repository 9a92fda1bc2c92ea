// Real files, folders and child processes for tests that run under Wine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace quaytest {

std::wstring Widen(const std::string& utf8);
// A Linux path (such as one the build put into a definition) as Wine reaches it: through
// Z:, which is the Linux root.
std::wstring LinuxPathOnZ(const std::string& linuxPath);

// A fresh folder below X:\quaytest, removed with everything in it when the object goes.
// Drive C: is the prefix's own drive; D: is a second drive letter the test prefix maps.
class TempDir {
public:
    explicit TempDir(wchar_t drive = L'C');
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& rel) const { return path_ + L"\\" + rel; }

private:
    std::wstring path_;
};

void MakeDir(const std::wstring& path);                      // creates missing parents too
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);             // throws Failure when unreadable
std::string PatternBytes(size_t size, uint32_t seed);        // deterministic, non-repeating content
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
void RemoveTree(const std::wstring& path);                   // clears read-only bits on the way
std::vector<std::wstring> ListNames(const std::wstring& folder);  // sorted, without "." and ".."

// A FILETIME for a calendar moment (UTC).
FILETIME Moment(int year, int month, int day, int hour, int minute, int second = 0);
// Sets the last-write time of a file or folder; fails the test when it cannot.
void SetLastWriteTime(const std::wstring& path, const FILETIME& time);
// "YYYY-MM-DD hh:mm:ss.mmm", for failure messages.
std::string Show(const FILETIME& time);

// Starts this test executable again as "--child NAME args..." (see TEST_CHILD).
Marlin::KernelHandle StartChild(const std::string& name, const std::vector<std::string>& args = {});
// Waits for a process and returns its exit code, or -1 when it did not end in time.
long WaitExit(const Marlin::KernelHandle& process, DWORD milliseconds = 30000);

}  // namespace quaytest
