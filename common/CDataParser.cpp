#include "CDataParser.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace Marlin {

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

uint32_t UnitAt(const uint8_t* p, size_t i) {
    return static_cast<uint32_t>(p[2 * i]) | (static_cast<uint32_t>(p[2 * i + 1]) << 8);
}

bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u < 0xDC00; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u < 0xE000; }

// Decodes units code units up to the first NUL. A host with 32-bit wchar_t joins each
// surrogate pair into its code point; a lone surrogate is kept as it came.
std::wstring DecodeUtf16(const uint8_t* p, size_t units) {
    std::wstring s;
    size_t end = 0;
    while (end < units && UnitAt(p, end) != 0) ++end;
    s.reserve(end);
    for (size_t i = 0; i < end; ++i) {
        uint32_t u = UnitAt(p, i);
        if constexpr (!kWideIsUtf16) {
            if (IsHighSurrogate(u) && i + 1 < end && IsLowSurrogate(UnitAt(p, i + 1))) {
                u = 0x10000 + ((u - 0xD800) << 10) + (UnitAt(p, i + 1) - 0xDC00);
                ++i;
            }
        }
        s.push_back(static_cast<wchar_t>(u));
    }
    return s;
}

}  // namespace

CDataParser::CDataParser(const void* data, size_t size, LengthWidth width)
    : position_(static_cast<const uint8_t*>(data)), remaining_(size), width_(width) {}

CDataParser::~CDataParser() = default;

int CDataParser::GetUnsigned(uint64_t& value, size_t bytes) {
    if (remaining_ < bytes) return 0;
    uint64_t v = 0;
    for (size_t i = 0; i < bytes; ++i) {
        v |= static_cast<uint64_t>(position_[i]) << (8 * i);
    }
    Skip(bytes);
    value = v;
    return 1;
}

int CDataParser::GetBytes(void* out, size_t size) {
    if (remaining_ < size) return 0;
    if (size != 0) std::memcpy(out, position_, size);
    Skip(size);
    return 1;
}

int CDataParser::GetCount(uint64_t& count, size_t minElementSize) {
    const Mark mark = Save();
    uint64_t n = 0;
    if (!GetUnsigned(n, static_cast<size_t>(width_))) return 0;
    // Every element takes at least one byte, or a count could ask for a loop of 2^64
    // empty steps; dividing keeps the test free of overflow.
    const size_t least = minElementSize == 0 ? 1 : minElementSize;
    if (n > remaining_ / least) {
        Restore(mark);
        return 0;
    }
    count = n;
    return 1;
}

int CDataParser::Get(std::wstring& value) {
    const Mark mark = Save();
    uint64_t bytes = 0;
    if (!GetUnsigned(bytes, static_cast<size_t>(width_))) return 0;
    if (bytes > remaining_ || bytes % 2 != 0) {
        Restore(mark);
        return 0;
    }
    const size_t length = static_cast<size_t>(bytes);
    value = DecodeUtf16(position_, length / 2);
    Skip(length);
    return 1;
}

int CDataParser::Get(std::string& value) {
    const Mark mark = Save();
    uint64_t bytes = 0;
    if (!GetUnsigned(bytes, 8)) return 0;
    if (bytes > remaining_) {
        Restore(mark);
        return 0;
    }
    const size_t length = static_cast<size_t>(bytes);
    if (length == 0) {
        value.clear();
        return 1;
    }
    const char* text = reinterpret_cast<const char*>(position_);
    const void* nul = std::memchr(text, 0, length);
    value.assign(text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length);
    Skip(length);
    return 1;
}

int CDataParser::Get(std::vector<std::wstring>& values) {
    // An element is at least its length field.
    return GetList(values, static_cast<size_t>(width_),
                   [](CDataParser& in, std::wstring& s) { return in.Get(s); });
}

int CDataParser::Get(FileAttributeBlock& block) {
    if (remaining_ < FileAttributeBlock::kEncodedSize) return 0;
    uint32_t fields[9];
    static_assert(sizeof(fields) == FileAttributeBlock::kEncodedSize, "nine 32-bit fields");
    for (uint32_t& field : fields) {
        uint64_t v = 0;
        GetUnsigned(v, 4);  // cannot fail: the size was checked for the whole block
        field = static_cast<uint32_t>(v);
    }
    block.attributes = fields[0];
    block.creationTime = {fields[1], fields[2]};
    block.lastAccessTime = {fields[3], fields[4]};
    block.lastWriteTime = {fields[5], fields[6]};
    block.sizeHigh = fields[7];
    block.sizeLow = fields[8];
    return 1;
}

#ifdef _WIN32
int CDataParser::Get(WIN32_FILE_ATTRIBUTE_DATA& data) {
    FileAttributeBlock block;
    if (!Get(block)) return 0;
    data.dwFileAttributes = block.attributes;
    data.ftCreationTime = {block.creationTime.low, block.creationTime.high};
    data.ftLastAccessTime = {block.lastAccessTime.low, block.lastAccessTime.high};
    data.ftLastWriteTime = {block.lastWriteTime.low, block.lastWriteTime.high};
    data.nFileSizeHigh = block.sizeHigh;
    data.nFileSizeLow = block.sizeLow;
    return 1;
}
#endif

}  // namespace Marlin
