// One item of a copy job: a source, folder, file, named stream or move marker.
//
// While an item comes from the enumeration its path is the full path; once it is in a tree
// it keeps only its own name segment and the full path is rebuilt from the tree
// (CopyItemsData::FullPath).
//
// The reader and the writer add flag bits to the same items concurrently, so flags is
// atomic and every update is an atomic bitwise or. Copying an item copies the flag value
// as it is at that moment.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "CopyItemFlags.h"
#include "CopyItemKind.h"

namespace Marlin::Sluice {

class CopyItemData {
public:
    CopyItemData() = default;
    CopyItemData(std::wstring path, int64_t size, CopyItemKind kind, int32_t flags = 0);
    CopyItemData(const CopyItemData& other);
    CopyItemData(CopyItemData&& other) noexcept;
    CopyItemData& operator=(const CopyItemData& other);
    CopyItemData& operator=(CopyItemData&& other) noexcept;
    virtual ~CopyItemData() = default;

    // Safe to call from several threads at once on the same item; no bit is ever lost.
    // (Out of line: inlined atomics behind tree iterators draw false -Wstringop-overflow
    // warnings from GCC 12.)
    void AddFlags(CopyItemFlags bits);
    void AddFlags(int32_t bits);
    int32_t Flags() const;
    // True when every bit of bits is set.
    bool HasFlags(CopyItemFlags bits) const;

    std::wstring path;
    int64_t size = 0;
    CopyItemKind kind = CopyItemKind::None;
    std::atomic<int32_t> flags{0};
};

}  // namespace Marlin::Sluice
