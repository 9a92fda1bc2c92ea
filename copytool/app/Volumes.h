// Volume capability queries; each works on the volume root of its path argument.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Marlin {

std::wstring GetVolumeRoot(const std::wstring& path);
bool GetFileSystemName(const std::wstring& path, std::wstring& name);
bool IsFileSystem(const std::wstring& path, const std::wstring& name);
bool IsFatVolume(const std::wstring& path);
bool SupportsNamedStreams(const std::wstring& path);
bool SupportsEncryption(const std::wstring& path);
uint32_t GetBytesPerSector(const std::wstring& path);
// Returns the transfer alignment (0: none needed) and lowers bufferSize to a multiple of it.
uint32_t AlignBufferSize(const std::vector<std::wstring>& sources, const std::wstring& destination,
                         uint64_t& bufferSize);
// The arithmetic of AlignBufferSize on sector sizes already read (0: unknown): the least
// common multiple of the destination's and every source's sector size, 0 as soon as one is
// unknown; bufferSize is lowered to a multiple of it when it holds at least one, otherwise
// 0 is returned and bufferSize stays.
uint32_t AlignBufferSizeToSectors(uint32_t destinationSectorSize, const std::vector<uint32_t>& sourceSectorSizes,
                                  uint64_t& bufferSize);

}  // namespace Marlin
