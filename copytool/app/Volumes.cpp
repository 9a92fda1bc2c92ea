#include "Volumes.h"

#include <windows.h>

#include <limits>

#include "Paths.h"
#include "ShellLibraryFunctions.h"

namespace Marlin {

namespace {

bool IsExistingFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    return (!path.empty() && path.back() == L'\\') ? path : path + L'\\';
}

bool GetVolumeFlags(const std::wstring& path, DWORD& flags) {
    flags = 0;
    return GetVolumeInformationW(GetVolumeRoot(path).c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) != 0;
}

uint32_t GreatestCommonDivisor(uint32_t a, uint32_t b) {
    // Both non-zero. Sector sizes are small powers of two, so the subtraction takes few steps.
    while (a != b) {
        if (a > b)
            a -= b;
        else
            b -= a;
    }
    return a;
}

}  // namespace

std::wstring GetVolumeRoot(const std::wstring& path) {
    if (path.empty()) return {};
    if (!ShellPathIsUNC(path.c_str())) return std::wstring(1, path[0]) + L":\\";
    // \\server\share\ ; the share part may be missing, and so may the backslashes after it.
    size_t afterServer = path.find(L'\\', 2);
    if (afterServer == std::wstring::npos) return path + L'\\';
    size_t afterShare = path.find(L'\\', afterServer + 1);
    if (afterShare == std::wstring::npos) return WithTrailingBackslash(path);
    return path.substr(0, afterShare + 1);
}

bool GetFileSystemName(const std::wstring& path, std::wstring& name) {
    wchar_t buffer[512] = {};
    if (!GetVolumeInformationW(GetVolumeRoot(path).c_str(), nullptr, 0, nullptr, nullptr, nullptr, buffer, 512))
        return false;
    name = buffer;
    return true;
}

bool IsFileSystem(const std::wstring& path, const std::wstring& name) {
    std::wstring actual;
    return GetFileSystemName(path, actual) && PathEquals(actual, name);
}

bool IsFatVolume(const std::wstring& path) {
    std::wstring actual;
    return GetFileSystemName(path, actual) && (PathEquals(actual, L"FAT32") || PathEquals(actual, L"FAT"));
}

bool SupportsNamedStreams(const std::wstring& path) {
    DWORD flags;
    return GetVolumeFlags(path, flags) && (flags & FILE_NAMED_STREAMS);
}

bool SupportsEncryption(const std::wstring& path) {
    DWORD flags;
    return GetVolumeFlags(path, flags) && (flags & FILE_SUPPORTS_ENCRYPTION);
}

uint32_t GetBytesPerSector(const std::wstring& path) {
    // The path may be a file, or a folder that the job has not made yet: any existing
    // folder above it lies on the same volume. No "\\?\" form is needed: a path too long
    // for the plain form only makes the walk go up to a shorter folder of that volume.
    const std::wstring root = GetVolumeRoot(path);
    std::wstring folder = path;
    while (!folder.empty() && !IsExistingFolder(folder)) {
        // A missing drive or share: its root has no parent, and walking on from a share
        // would reach "\", the root of the current drive, which is another volume.
        if (PathEquals(WithTrailingBackslash(folder), root)) return 0;
        std::wstring parent = GetParentFolder(folder, 1);
        if (parent == folder) return 0;
        folder = std::move(parent);
    }
    if (folder.empty()) return 0;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(WithTrailingBackslash(folder).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return 0;
    return bytesPerSector;
}

uint32_t AlignBufferSizeToSectors(uint32_t destinationSectorSize, const std::vector<uint32_t>& sourceSectorSizes,
                                  uint64_t& bufferSize) {
    uint32_t alignment = destinationSectorSize;
    for (uint32_t sectorSize : sourceSectorSizes) {
        if (alignment == 0 || sectorSize == 0) {
            alignment = 0;
            continue;
        }
        uint64_t multiple = uint64_t{alignment} / GreatestCommonDivisor(alignment, sectorSize) * sectorSize;
        // No transfer could honour an alignment beyond 32 bits; treat it as unknown.
        alignment = multiple > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(multiple);
    }
    if (alignment == 0 || bufferSize < alignment) return 0;
    bufferSize = bufferSize / alignment * alignment;
    return alignment;
}

uint32_t AlignBufferSize(const std::vector<std::wstring>& sources, const std::wstring& destination,
                         uint64_t& bufferSize) {
    std::vector<uint32_t> sourceSectorSizes;
    sourceSectorSizes.reserve(sources.size());
    for (const auto& source : sources) sourceSectorSizes.push_back(GetBytesPerSector(source));
    return AlignBufferSizeToSectors(GetBytesPerSector(destination), sourceSectorSizes, bufferSize);
}

}  // namespace Marlin
