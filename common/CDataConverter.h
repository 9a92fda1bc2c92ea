// Builds the payload of one pipe message. Values are appended one after another with no
// tags, so the reader must take them in the same order; every integer is little-endian
// whatever the host, and string lengths and list counts take the width that the message
// set fixes (see LengthWidth).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FileAttributeBlock.h"
#include "IsWireInteger.h"
#include "LengthWidth.h"

#ifdef _WIN32
struct _WIN32_FILE_ATTRIBUTE_DATA;  // from <windows.h>; declared here to keep this header free of it
#endif

namespace Marlin {

class CDataConverter {
public:
    explicit CDataConverter(LengthWidth width = LengthWidth::Eight);
    virtual ~CDataConverter();

    // A 16-, 32- or 64-bit integer, in the width of its own type. Use fixed-width types
    // (int32_t, uint64_t...) for wire fields: size_t and long differ between builds.
    template <typename T, std::enable_if_t<kIsWireInteger<T>, int> = 0>
    void Put(T value) {
        PutUnsigned(static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value)), sizeof(T));
    }

    // Byte length (2 per UTF-16 code unit) in the protocol width, then UTF-16LE code units.
    // Only the part before the first NUL is sent.
    void Put(std::wstring_view value);
    // An exception's message: byte length always in 8 bytes, then the bytes, up to the first NUL.
    void Put(std::string_view value);
    // Count in the protocol width, then each string as above.
    void Put(const std::vector<std::wstring>& values);
    // The 36-byte attribute block.
    void Put(const FileAttributeBlock& block);
#ifdef _WIN32
    void Put(const _WIN32_FILE_ATTRIBUTE_DATA& data);
#endif

    // A list of records: the count in the protocol width, then putElement(*this, element)
    // for each element in order.
    template <typename Container, typename PutElement>
    void PutList(const Container& elements, PutElement&& putElement) {
        PutCount(static_cast<uint64_t>(elements.size()));
        for (const auto& element : elements) {
            putElement(*this, element);
        }
    }

    // A length or count in the protocol width, for records that frame their own parts
    // (a tree's node count, for instance).
    void PutCount(uint64_t count);
    // Bytes as they are, for the fixed-size platform records of the service protocol.
    void PutBytes(const void* data, size_t size);

    const uint8_t* Data() const { return buffer_.data(); }
    size_t Size() const { return buffer_.size(); }
    const std::vector<uint8_t>& Buffer() const { return buffer_; }
    LengthWidth Width() const { return width_; }
    void Clear() { buffer_.clear(); }

private:
    void PutUnsigned(uint64_t value, size_t bytes);

    std::vector<uint8_t> buffer_;
    LengthWidth width_;
};

}  // namespace Marlin
