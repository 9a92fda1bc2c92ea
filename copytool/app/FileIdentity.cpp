#include "FileIdentity.h"

#include <windows.h>

#include <algorithm>

#include "Paths.h"
#include "UniqueHandle.h"

namespace Marlin {

std::optional<FileIdentity> FileIdentity::Of(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    // No access is asked for, and every sharing allowed: asking about a file must neither
    // fail on one that is open elsewhere nor keep anyone from using it. Backup semantics
    // are what lets a folder be opened at all.
    Marlin::FileHandle file(CreateFileW(ToLongPath(path).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    // Some network and FAT volumes give no index (0): two such files are not the same one.
    if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return std::nullopt;
    return FileIdentity(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
}

FileIdentity::FileIdentity(uint32_t volumeSerial, uint32_t indexHigh, uint32_t indexLow)
    : volumeSerial_(volumeSerial), index_((uint64_t{indexHigh} << 32) | indexLow) {}

bool IsSameFile(const std::wstring& a, const std::wstring& b) {
    const std::optional<FileIdentity> first = FileIdentity::Of(a);
    if (!first) return false;
    const std::optional<FileIdentity> second = FileIdentity::Of(b);
    return second && *first == *second;
}

std::vector<FileIdentity> FolderChain(const std::wstring& path) {
    std::vector<FileIdentity> chain;
    std::wstring current = IsDriveRoot(path) ? path : RemoveTrailingBackslash(path);
    // A destination that does not exist yet is below whatever its nearest existing parent is
    // below. Each parent is shorter than its child, so the walk ends at the root at the latest.
    for (;;) {
        if (const std::optional<FileIdentity> here = FileIdentity::Of(current)) chain.push_back(*here);
        const std::wstring parent = GetParentFolder(current, 1);
        if (parent.empty() || parent.size() >= current.size()) return chain;
        current = parent;
    }
}

bool IsSameOrBelowFolder(const std::vector<FileIdentity>& chain, const std::wstring& folder) {
    if (chain.empty()) return false;
    const std::optional<FileIdentity> target = FileIdentity::Of(folder);
    return target && std::find(chain.begin(), chain.end(), *target) != chain.end();
}

}  // namespace Marlin
