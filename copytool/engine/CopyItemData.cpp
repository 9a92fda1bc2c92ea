#include "CopyItemData.h"

#include <utility>

namespace Marlin::Sluice {

CopyItemData::CopyItemData(std::wstring path, int64_t size, CopyItemKind kind, int32_t flags)
    : path(std::move(path)), size(size), kind(kind), flags(flags) {}

CopyItemData::CopyItemData(const CopyItemData& other)
    : path(other.path), size(other.size), kind(other.kind), flags(other.flags.load()) {}

CopyItemData::CopyItemData(CopyItemData&& other) noexcept
    : path(std::move(other.path)), size(other.size), kind(other.kind), flags(other.flags.load()) {}

CopyItemData& CopyItemData::operator=(const CopyItemData& other) {
    if (this != &other) {
        path = other.path;
        size = other.size;
        kind = other.kind;
        flags.store(other.flags.load());
    }
    return *this;
}

CopyItemData& CopyItemData::operator=(CopyItemData&& other) noexcept {
    if (this != &other) {
        path = std::move(other.path);
        size = other.size;
        kind = other.kind;
        flags.store(other.flags.load());
    }
    return *this;
}

void CopyItemData::AddFlags(CopyItemFlags bits) { flags.fetch_or(ToBits(bits)); }

void CopyItemData::AddFlags(int32_t bits) { flags.fetch_or(bits); }

int32_t CopyItemData::Flags() const { return flags.load(); }

bool CopyItemData::HasFlags(CopyItemFlags bits) const { return (flags.load() & ToBits(bits)) == ToBits(bits); }

}  // namespace Marlin::Sluice
