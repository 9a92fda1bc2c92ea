// The folder walk the benchmark peers share: creates the destination folder, then copies
// each file of the source with the peer's own per-file copy and descends into each folder.
// Stops at the first failure, after printing it.
#pragma once

#include <functional>
#include <string>

namespace QuayBench {

// The \\?\ form of a drive path, so that long paths work; UNC paths stay as they are.
std::wstring LongPath(const std::wstring& path);

using CopyOneFile = std::function<bool(const std::wstring& from, const std::wstring& to)>;

bool CopyTree(const std::wstring& source, const std::wstring& destination, const CopyOneFile& copyFile);

}  // namespace QuayBench
