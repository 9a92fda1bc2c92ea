#include "SourceList.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "FileIdentity.h"
#include "Paths.h"

namespace Marlin {

namespace {

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool IsExistingFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(ToLongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void RemoveTrailingBackslashes(std::vector<std::wstring>& sources, std::wstring& destination) {
    for (auto& source : sources)
        if (!IsDriveRoot(source)) source = RemoveTrailingBackslash(source);
    if (!IsDriveRoot(destination)) destination = RemoveTrailingBackslash(destination);
}

void RemoveRepeatedSources(std::vector<std::wstring>& sources) {
    std::vector<std::wstring> kept;
    kept.reserve(sources.size());
    for (auto& source : sources) {
        const bool seen = std::any_of(kept.begin(), kept.end(),
                                      [&](const std::wstring& earlier) { return PathEquals(earlier, source); });
        if (!seen) kept.push_back(std::move(source));
    }
    sources = std::move(kept);
}

void RemoveSourcesInDestination(std::vector<std::wstring>& sources, const std::wstring& destination) {
    // By identity too: a destination reached through another drive letter, a link or a
    // share is the source's own folder all the same, and "moving" into it would copy each
    // file onto itself and then delete it.
    const std::optional<FileIdentity> target = FileIdentity::Of(destination);
    sources.erase(std::remove_if(sources.begin(), sources.end(),
                                 [&](const std::wstring& source) {
                                     const std::wstring parent = GetParentFolder(source, 1);
                                     if (PathEquals(parent, destination)) return true;
                                     if (!target) return false;
                                     const std::optional<FileIdentity> folder = FileIdentity::Of(parent);
                                     return folder && *folder == *target;
                                 }),
                  sources.end());
}

bool IsSameDrive(const std::vector<std::wstring>& sources, const std::wstring& destination) {
    if (sources.empty()) return true;
    if (destination.empty()) return false;
    const wchar_t drive = LowerAscii(destination[0]);
    return std::all_of(sources.begin(), sources.end(), [&](const std::wstring& source) {
        if (source.empty()) return false;
        wchar_t letter = LowerAscii(source[0]);
        return letter >= L'a' && letter <= L'z' && letter == drive;
    });
}

bool IsDestinationInsideSource(const std::vector<std::wstring>& sources, const std::wstring& destination) {
    std::optional<std::vector<FileIdentity>> chain;  // asked once, for the first folder source
    for (const auto& source : sources) {
        if (source.empty() || !IsExistingFolder(source)) continue;
        if (PathEquals(destination, source)) return true;
        // Windows paths ignore letter case, so c:\A\b lies inside C:\a. A drive root already
        // ends in its backslash and contains every path of its drive.
        const std::wstring prefix = source.back() == L'\\' ? source : source + L'\\';
        if (PathStartsWith(destination, prefix)) return true;
        // Another name of the source's folder in the destination's path (a substituted
        // letter, a junction, a share, a short name) hides it from the text.
        if (!chain) chain = FolderChain(destination);
        if (IsSameOrBelowFolder(*chain, source)) return true;
    }
    return false;
}

}  // namespace Marlin
