// File facts and changes the reader and writer tests need beyond TestFiles.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "TestFiles.h"

namespace rwtest {

// Attributes, times and size as the file system reports them; fails the test when missing.
WIN32_FILE_ATTRIBUTE_DATA FileData(const std::wstring& path);
uint64_t FileSize(const std::wstring& path);
FILETIME LastWriteTime(const std::wstring& path);
using quaytest::SetLastWriteTime;
void SetAttributes(const std::wstring& path, DWORD attributes);
using quaytest::Moment;
bool SameTime(const FILETIME& a, const FILETIME& b);
using quaytest::Show;

// Changes the size of a file from outside Windows' sharing rules: a native program
// truncates (or extends) it, as another machine could on a shared folder. This is how a
// source that the reader holds open with read sharing only can still change under it.
// Returns when the new size is visible.
void ResizeFromOutside(const std::wstring& path, uint64_t size);

}  // namespace rwtest
