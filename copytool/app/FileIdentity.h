// What makes a file or folder the same one under any of its names: the volume's serial
// number and the file's index on it. Text cannot tell it: a substituted drive letter, a
// junction or directory link, a \\host\share path, an 8.3 short name and the \\?\ forms
// all reach one folder under different paths, and a job that takes them for different
// places overwrites or deletes its own source.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Marlin {

class FileIdentity {
public:
    // The identity of the file or folder at path (any form ToLongPath accepts), without
    // following a final link any further than opening does; nothing when it cannot be
    // opened or asked (a missing path, say).
    static std::optional<FileIdentity> Of(const std::wstring& path);
    // From the fields of BY_HANDLE_FILE_INFORMATION.
    FileIdentity(uint32_t volumeSerial, uint32_t indexHigh, uint32_t indexLow);

    uint32_t VolumeSerial() const { return volumeSerial_; }
    uint64_t Index() const { return index_; }

    bool operator==(const FileIdentity& other) const {
        return volumeSerial_ == other.volumeSerial_ && index_ == other.index_;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }

private:
    uint32_t volumeSerial_;
    uint64_t index_;
};

// The platform error of an item whose destination is its own source under another name:
// ERROR_FILE_EXISTS, whose system text ("the file exists") is the closest there is.
constexpr uint32_t kSameFileError = 80;

// Whether both paths exist and are one and the same file or folder.
bool IsSameFile(const std::wstring& a, const std::wstring& b);
// The identities of path and of each of its parents up to its root, as far as they exist
// (a destination that is yet to be made lies below its nearest existing parent).
std::vector<FileIdentity> FolderChain(const std::wstring& path);
// Whether folder is one of the chain: the chain's path is folder itself or lies below it,
// through whatever alias of folder that path's own text goes through.
bool IsSameOrBelowFolder(const std::vector<FileIdentity>& chain, const std::wstring& folder);

}  // namespace Marlin
