// Creates a destination folder that looks like its source: the same attributes, the
// same encryption and the same last-write time, as far as the destination allows.
#pragma once

#include <string>

namespace Marlin::Sluice {

// Both paths as the file-system calls take them (already through ToLongPath). Returns
// false, with the platform's error as the last error, only when the folder could not be
// created (an existing destination gives ERROR_ALREADY_EXISTS); properties that cannot
// be carried over are left as the system made them.
bool CreateFolderLike(const std::wstring& source, const std::wstring& destination);

}  // namespace Marlin::Sluice
