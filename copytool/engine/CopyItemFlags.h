// Progress and user decisions recorded on a copy item while the reader and the writer run.
// Bits are only ever added, never cleared, during a copy; the values travel to the elevated
// instance, so they are fixed.
#pragma once

#include <cstdint>

namespace Marlin::Sluice {

enum class CopyItemFlags : int32_t {
    None = 0,
    ReadOpened = 0x1,               // the source is open and its header queued: the writer may start
    ReadPassed = 0x2,               // the reader has left the item: folders and markers may be done
    Skip = 0x10,                    // the user skipped it (set on a whole subtree)
    OverwriteApproved = 0x20,       // replace an existing file, merge into an existing folder
    EncryptionLossApproved = 0x40,  // copy without encryption, do not ask again
    DestinationAbsent = 0x100,      // nothing exists at the destination (set on a whole subtree)
};

constexpr CopyItemFlags operator|(CopyItemFlags a, CopyItemFlags b) {
    return static_cast<CopyItemFlags>(static_cast<int32_t>(a) | static_cast<int32_t>(b));
}
constexpr CopyItemFlags operator&(CopyItemFlags a, CopyItemFlags b) {
    return static_cast<CopyItemFlags>(static_cast<int32_t>(a) & static_cast<int32_t>(b));
}
constexpr int32_t ToBits(CopyItemFlags f) { return static_cast<int32_t>(f); }

}  // namespace Marlin::Sluice
