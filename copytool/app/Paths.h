// Path operations of the copy tool. Paths are wide strings passed and returned by value.
// A drive root ("C:\") is the only path inside a job that keeps a trailing backslash,
// and every path handed to a file-system call on a copy item goes through ToLongPath.
#pragma once

#include <string>

namespace Marlin {

bool IsDriveRoot(const std::wstring& path);                 // exactly "X:\"
std::wstring RemoveTrailingBackslash(const std::wstring& path);
std::wstring ToLongPath(const std::wstring& path);
std::wstring GetFullPath(const std::wstring& path);
std::wstring GetLongPath(const std::wstring& path);
// Any output may be null.
void SplitPath(const std::wstring& path, std::wstring* drive, std::wstring* folder, std::wstring* baseName,
               std::wstring* extension);
std::wstring GetFileNamePart(const std::wstring& path);
std::wstring RemoveStreamName(const std::wstring& path);
std::wstring GetParentFolder(const std::wstring& path, int levels = 1);
std::wstring GetModuleFilePath();
std::wstring GetModuleFolder();
std::wstring GetShellItemDisplayName(const std::wstring& path, unsigned long sigdn);
std::wstring GetShellFolderDisplayName(const std::wstring& path, unsigned long flags);
bool MakeValidFileName(std::wstring& name);
std::wstring MakeDestinationName(const std::wstring& source, size_t rootItemCount,
                                 const std::wstring& destinationFolder);
// Equality ignoring ASCII letter case, as path comparisons do.
bool PathEquals(const std::wstring& a, const std::wstring& b);

}  // namespace Marlin
