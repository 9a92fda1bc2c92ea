#include "EnumerationPaths.h"

#include <windows.h>

#include "Paths.h"

namespace Marlin::Sluice {
namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWithIgnoringCase(const std::wstring& text, const wchar_t* prefix) {
    const std::wstring p(prefix);
    return PathStartsWith(text, p);
}

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    return IsDriveRoot(path) ? path : RemoveTrailingBackslash(path);
}

}  // namespace

std::wstring RemoveLongPathPrefix(const std::wstring& path) {
    if (StartsWithIgnoringCase(path, kLongUncPrefix)) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, kLongPrefix) == 0) return path.substr(4);
    return path;
}

bool IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

std::wstring MakeAbsolutePath(const std::wstring& path) {
    const std::wstring plain = RemoveLongPathPrefix(path);
    if (plain.empty()) return plain;
    // Only the plain form resolves "." and ".." on Windows, and a relative path given the
    // "\\?\" form is taken as a literal name ("\\?\sub" stays "\\?\sub"). The prefix is
    // needed only to lift the length limit of an absolute path.
    const bool needsPrefix = IsAbsolutePath(plain) && plain.size() >= MAX_PATH;
    std::wstring full = needsPrefix ? RemoveLongPathPrefix(GetFullPath(ToLongPath(plain))) : GetFullPath(plain);
    return full.empty() ? plain : full;
}

std::wstring NormalizeSourcePath(const std::wstring& source) {
    const std::wstring full = WithoutTrailingBackslash(MakeAbsolutePath(source));
    if (full.empty()) return full;
    // Wine's GetLongPathNameW leaves 8.3 elements of a "\\?\" path as they are, so the plain
    // form is used wherever the length allows it. Longer paths need the prefix, with which
    // Windows still expands short elements.
    std::wstring longForm = full.size() < MAX_PATH ? GetLongPath(full) : RemoveLongPathPrefix(GetLongPath(ToLongPath(full)));
    // A missing path has no long form; it keeps its full form and fails when it is listed.
    if (longForm.empty()) return full;
    return WithoutTrailingBackslash(longForm);
}

}  // namespace Marlin::Sluice
