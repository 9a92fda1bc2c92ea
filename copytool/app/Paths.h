// Path operations of the copy tool. Paths are wide strings passed and returned by value.
// A drive root ("C:\") is the only path inside a job that keeps a trailing backslash,
// and every path handed to a file-system call on a copy item goes through ToLongPath.
#pragma once

#include <cstdint>
#include <string>

namespace Marlin {

bool IsDriveRoot(const std::wstring& path);                 // exactly "X:\"
std::wstring RemoveTrailingBackslash(const std::wstring& path);
std::wstring ToLongPath(const std::wstring& path);
std::wstring GetFullPath(const std::wstring& path);
std::wstring GetLongPath(const std::wstring& path);
// "\\?\C:\a" gives "C:\a", "\\?\UNC\srv\share" gives "\\srv\share"; other text unchanged.
std::wstring RemoveLongPathPrefix(const std::wstring& path);
// True for "X:\..." (or "X:/...") and for "\\server\..." forms.
bool IsAbsolutePath(const std::wstring& path);
// The absolute form of path without the "\\?\" prefix: "." and ".." resolved, forward
// slashes turned into backslashes, a relative path taken against the current folder.
// Falls back to the text itself (prefix removed) when it cannot be resolved.
std::wstring MakeAbsolutePath(const std::wstring& path);
// The form in which a source heads its item tree: absolute, long names instead of 8.3
// elements where the path exists, no trailing backslash except on a drive root ("C:\").
// Items are placed into their tree by cutting the head's path off the front of each item's
// path, so the source text that becomes the head and the text the walk extends must be
// the same string; normalising a normalised source changes nothing.
std::wstring NormalizeSourcePath(const std::wstring& source);
// Any output may be null.
void SplitPath(const std::wstring& path, std::wstring* drive, std::wstring* folder, std::wstring* baseName,
               std::wstring* extension);
std::wstring GetFileNamePart(const std::wstring& path);
std::wstring RemoveStreamName(const std::wstring& path);
std::wstring GetParentFolder(const std::wstring& path, int levels = 1);
std::wstring GetModuleFilePath();
std::wstring GetModuleFolder();
// Empty until the process has resolved the shell's item function (ResolveShellFunctions).
std::wstring GetShellItemDisplayName(const std::wstring& path, unsigned long sigdn);
std::wstring GetShellFolderDisplayName(const std::wstring& path, unsigned long flags);
bool MakeValidFileName(std::wstring& name);
std::wstring MakeDestinationName(const std::wstring& source, size_t rootItemCount,
                                 const std::wstring& destinationFolder);
// Equality ignoring ASCII letter case, as path comparisons do.
bool PathEquals(const std::wstring& a, const std::wstring& b);
// Whether path begins with prefix, ignoring ASCII letter case.
bool PathStartsWith(const std::wstring& path, const std::wstring& prefix);
// The next size of a growing path buffer (GetFullPath, GetLongPath, GetModuleFilePath):
// twice size, at least 1; throws std::invalid_argument when that no longer fits the
// platform's 32-bit buffer size.
uint32_t DoublePathBufferSize(uint64_t size);

}  // namespace Marlin
