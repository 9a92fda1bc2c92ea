// The attributes, times and size of a file as they travel between processes: the same
// fields in the same order as the platform's WIN32_FILE_ATTRIBUTE_DATA, so the wire form
// is that record's 36 bytes, yet usable by code that never sees <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Marlin {

struct FileAttributeBlock {
    // A FILETIME: 100 ns ticks since 1601, split as the platform stores it.
    struct Time {
        uint32_t low = 0;
        uint32_t high = 0;

        bool operator==(const Time& o) const { return low == o.low && high == o.high; }
        bool operator!=(const Time& o) const { return !(*this == o); }
    };

    static constexpr size_t kEncodedSize = 36;

    uint32_t attributes = 0;
    Time creationTime;
    Time lastAccessTime;
    Time lastWriteTime;
    uint32_t sizeHigh = 0;
    uint32_t sizeLow = 0;

    bool operator==(const FileAttributeBlock& o) const {
        return attributes == o.attributes && creationTime == o.creationTime &&
               lastAccessTime == o.lastAccessTime && lastWriteTime == o.lastWriteTime &&
               sizeHigh == o.sizeHigh && sizeLow == o.sizeLow;
    }
    bool operator!=(const FileAttributeBlock& o) const { return !(*this == o); }
};

static_assert(sizeof(FileAttributeBlock) == FileAttributeBlock::kEncodedSize,
              "the block mirrors WIN32_FILE_ATTRIBUTE_DATA field for field");

}  // namespace Marlin
