#include "ReadOnlyClearance.h"

#include <utility>

namespace Marlin::Sluice {

ReadOnlyClearance::ReadOnlyClearance(std::wstring longPath, DWORD bits) : path_(std::move(longPath)) {
    const DWORD attributes = GetFileAttributesW(path_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & bits) &&
        SetFileAttributesW(path_.c_str(), attributes & ~bits))
        attributes_ = attributes;
}

ReadOnlyClearance::~ReadOnlyClearance() {
    if (attributes_ == INVALID_FILE_ATTRIBUTES) return;
    // The caller's error stays the one it reports.
    const DWORD error = GetLastError();
    SetFileAttributesW(path_.c_str(), attributes_);
    SetLastError(error);
}

}  // namespace Marlin::Sluice
