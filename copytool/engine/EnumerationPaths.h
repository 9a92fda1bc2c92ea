// Path text helpers of the enumeration. Items are placed into their tree by cutting the
// head's path off the front of each item's path, so the source text that becomes the head
// and the text the walk extends must be the same string: both come from NormalizeSourcePath,
// which is idempotent, so normalising an already normalised source changes nothing.
#pragma once

#include <string>

namespace Marlin::Sluice {

// "\\?\C:\a" gives "C:\a", "\\?\UNC\srv\share" gives "\\srv\share"; other text unchanged.
std::wstring RemoveLongPathPrefix(const std::wstring& path);

// True for "X:\..." (or "X:/...") and for "\\server\..." forms.
bool IsAbsolutePath(const std::wstring& path);

// The absolute form of path without the "\\?\" prefix: "." and ".." resolved, forward
// slashes turned into backslashes, a relative path taken against the current folder.
// Falls back to the text itself (prefix removed) when it cannot be resolved.
std::wstring MakeAbsolutePath(const std::wstring& path);

// The form in which a source heads its tree: absolute, long names instead of 8.3 elements
// where the path exists, no trailing backslash except on a drive root ("C:\").
std::wstring NormalizeSourcePath(const std::wstring& source);

}  // namespace Marlin::Sluice
