#include "CDataConverter.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace Marlin {

namespace {

// A host whose wchar_t is 32-bit holds one code point per unit; the wire is UTF-16, so
// code points beyond the BMP become surrogate pairs there. A value that is no code point
// at all cannot be encoded and goes out as U+FFFD.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

size_t Utf16Units(std::wstring_view s) {
    if constexpr (kWideIsUtf16) {
        return s.size();
    } else {
        size_t units = 0;
        for (wchar_t c : s) {
            const uint32_t cp = static_cast<uint32_t>(c);
            units += (cp > 0xFFFF && cp <= 0x10FFFF) ? 2 : 1;
        }
        return units;
    }
}

uint8_t* PutUnit(uint8_t* out, uint32_t unit) {
    out[0] = static_cast<uint8_t>(unit);
    out[1] = static_cast<uint8_t>(unit >> 8);
    return out + 2;
}

template <typename CharT>
std::basic_string_view<CharT> UpToNul(std::basic_string_view<CharT> s) {
    const size_t nul = s.find(CharT());
    return nul == std::basic_string_view<CharT>::npos ? s : s.substr(0, nul);
}

}  // namespace

CDataConverter::CDataConverter(LengthWidth width) : width_(width) {}

CDataConverter::~CDataConverter() = default;

void CDataConverter::PutUnsigned(uint64_t value, size_t bytes) {
    const size_t at = buffer_.size();
    buffer_.resize(at + bytes);
    for (size_t i = 0; i < bytes; ++i) {
        buffer_[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void CDataConverter::PutCount(uint64_t count) {
    // With 4-byte framing a count above 32 bits would need a message of 4 GiB or more,
    // which none of those protocols can carry; it is cut to its low 32 bits like the
    // peers' own 32-bit fields.
    PutUnsigned(count, static_cast<size_t>(width_));
}

void CDataConverter::PutBytes(const void* data, size_t size) {
    if (size == 0) return;
    const size_t at = buffer_.size();
    buffer_.resize(at + size);
    std::memcpy(buffer_.data() + at, data, size);
}

void CDataConverter::Put(std::wstring_view value) {
    value = UpToNul(value);
    const size_t units = Utf16Units(value);
    PutCount(static_cast<uint64_t>(units) * 2);

    const size_t at = buffer_.size();
    buffer_.resize(at + units * 2);
    uint8_t* out = buffer_.data() + at;
    for (wchar_t c : value) {
        const uint32_t cp = static_cast<uint32_t>(c);
        if constexpr (kWideIsUtf16) {
            out = PutUnit(out, cp);
        } else if (cp <= 0xFFFF) {
            out = PutUnit(out, cp);
        } else if (cp <= 0x10FFFF) {
            out = PutUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
            out = PutUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out = PutUnit(out, 0xFFFD);
        }
    }
}

void CDataConverter::Put(std::string_view value) {
    value = UpToNul(value);
    PutUnsigned(static_cast<uint64_t>(value.size()), 8);
    PutBytes(value.data(), value.size());
}

void CDataConverter::Put(const std::vector<std::wstring>& values) {
    PutList(values, [](CDataConverter& out, const std::wstring& s) { out.Put(std::wstring_view(s)); });
}

void CDataConverter::Put(const FileAttributeBlock& block) {
    const uint32_t fields[] = {
        block.attributes,
        block.creationTime.low,   block.creationTime.high,
        block.lastAccessTime.low, block.lastAccessTime.high,
        block.lastWriteTime.low,  block.lastWriteTime.high,
        block.sizeHigh,           block.sizeLow,
    };
    static_assert(sizeof(fields) == FileAttributeBlock::kEncodedSize, "nine 32-bit fields");
    for (uint32_t field : fields) {
        PutUnsigned(field, 4);
    }
}

#ifdef _WIN32
static_assert(sizeof(WIN32_FILE_ATTRIBUTE_DATA) == FileAttributeBlock::kEncodedSize,
              "the wire block is the platform record");

void CDataConverter::Put(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    FileAttributeBlock block;
    block.attributes = data.dwFileAttributes;
    block.creationTime = {data.ftCreationTime.dwLowDateTime, data.ftCreationTime.dwHighDateTime};
    block.lastAccessTime = {data.ftLastAccessTime.dwLowDateTime, data.ftLastAccessTime.dwHighDateTime};
    block.lastWriteTime = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime};
    block.sizeHigh = data.nFileSizeHigh;
    block.sizeLow = data.nFileSizeLow;
    Put(block);
}
#endif

}  // namespace Marlin
