#include "DestinationReplacement.h"

#include <cwchar>
#include <utility>

#include "Paths.h"
#include "ReadOnlyClearance.h"

namespace Marlin::Sluice {

namespace {

constexpr DWORD kBlockingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

DestinationReplacement::DestinationReplacement(std::wstring destination) : destination_(std::move(destination)) {}

DestinationReplacement::DestinationReplacement(DestinationReplacement&& other) noexcept
    : destination_(std::exchange(other.destination_, std::wstring())),
      candidate_(std::exchange(other.candidate_, std::wstring())),
      temporary_(std::exchange(other.temporary_, std::wstring())),
      attempt_(other.attempt_) {}

DestinationReplacement& DestinationReplacement::operator=(DestinationReplacement&& other) noexcept {
    if (this != &other) {
        Discard();
        destination_ = std::exchange(other.destination_, std::wstring());
        candidate_ = std::exchange(other.candidate_, std::wstring());
        temporary_ = std::exchange(other.temporary_, std::wstring());
        attempt_ = other.attempt_;
    }
    return *this;
}

DestinationReplacement::~DestinationReplacement() { Discard(); }

const std::wstring& DestinationReplacement::NextTemporaryPath() {
    // Short and fixed in length, whatever the destination's name: a name at the length
    // limit still has room for its replacement's.
    wchar_t name[48];
    std::swprintf(name, 48, L"~quaysail-%lx-%x.tmp", GetCurrentProcessId(), attempt_++);
    candidate_ = GetParentFolder(destination_, 1);
    if (candidate_.empty() || candidate_.back() != L'\\') candidate_ += L'\\';
    candidate_ += name;
    return candidate_;
}

bool DestinationReplacement::Commit() {
    const std::wstring longDestination = ToLongPath(destination_);
    ReadOnlyClearance clearance(longDestination, kBlockingAttributes);
    if (!MoveFileExW(ToLongPath(temporary_).c_str(), longDestination.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    clearance.Keep();
    temporary_.clear();
    destination_.clear();
    return true;
}

void DestinationReplacement::Discard() noexcept {
    if (!temporary_.empty()) {
        const DWORD error = GetLastError();
        DeleteFileW(ToLongPath(temporary_).c_str());
        SetLastError(error);
        temporary_.clear();
    }
    destination_.clear();
}

}  // namespace Marlin::Sluice
