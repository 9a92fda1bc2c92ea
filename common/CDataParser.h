// Reads back a payload built by CDataConverter, over bytes that it does not own (the
// received message must outlive the parser). Every Get returns 1 when the whole value was
// there and 0 otherwise, and a Get that fails consumes nothing, so the caller can give up
// on the message at the first 0.
//
// Lengths and counts come from the peer and are not trusted: one that the remaining bytes
// cannot hold fails before any memory is reserved for it, so a hostile or garbled message
// costs at most its own size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FileAttributeBlock.h"
#include "IsWireInteger.h"
#include "LengthWidth.h"

#ifdef _WIN32
struct _WIN32_FILE_ATTRIBUTE_DATA;  // from <windows.h>; declared here to keep this header free of it
#endif

namespace Marlin {

class CDataParser {
public:
    CDataParser(const void* data, size_t size, LengthWidth width = LengthWidth::Eight);
    virtual ~CDataParser();

    template <typename T, std::enable_if_t<kIsWireInteger<T>, int> = 0>
    int Get(T& value) {
        uint64_t raw = 0;
        if (!GetUnsigned(raw, sizeof(T))) return 0;
        value = static_cast<T>(static_cast<std::make_unsigned_t<T>>(raw));
        return 1;
    }

    // A wide string: byte length in the protocol width, then UTF-16LE code units. An odd
    // byte length is no UTF-16 text and fails the read. The whole length is consumed; the
    // value keeps what comes before the first NUL.
    int Get(std::wstring& value);
    // A narrow string: byte length in 8 bytes whatever the protocol width, then the bytes.
    int Get(std::string& value);
    // A list of wide strings; replaces the contents of values.
    int Get(std::vector<std::wstring>& values);
    int Get(FileAttributeBlock& block);
#ifdef _WIN32
    int Get(_WIN32_FILE_ATTRIBUTE_DATA& data);
#endif

    // A count in the protocol width, for a list whose elements each take at least
    // minElementSize bytes on the wire (taken as 1 when 0 is passed). Fails when the
    // remaining bytes cannot hold that many elements.
    int GetCount(uint64_t& count, size_t minElementSize);
    // Raw bytes, for the fixed-size platform records of the service protocol.
    int GetBytes(void* out, size_t size);

    // A record: readRecord(*this) reads its parts and returns nonzero on success. When it
    // fails, the position goes back to where the record began. What readRecord stored in
    // its own variables before failing is the caller's to discard.
    template <typename ReadRecord>
    int GetRecord(ReadRecord&& readRecord) {
        const Mark mark = Save();
        if (readRecord(*this)) return 1;
        Restore(mark);
        return 0;
    }

    // A list of records into elements (replaced only on success): the count, then
    // readElement(*this, element) for each, on a default-constructed element. minElementSize
    // is the least number of bytes one element takes on the wire, which bounds the count.
    template <typename T, typename ReadElement>
    int GetList(std::vector<T>& elements, size_t minElementSize, ReadElement&& readElement) {
        const Mark mark = Save();
        uint64_t count = 0;
        if (!GetCount(count, minElementSize)) return 0;
        // No reserve: even a bounded count times sizeof(T) can be many times the message.
        std::vector<T> read;
        for (uint64_t i = 0; i < count; ++i) {
            T element{};
            if (!readElement(*this, element)) {
                Restore(mark);
                return 0;
            }
            read.push_back(std::move(element));
        }
        elements = std::move(read);
        return 1;
    }

    size_t Remaining() const { return remaining_; }
    const uint8_t* Position() const { return position_; }
    // True when every byte of the message has been read; some messages must be used up exactly.
    bool AtEnd() const { return remaining_ == 0; }
    LengthWidth Width() const { return width_; }

private:
    struct Mark {
        const uint8_t* position;
        size_t remaining;
    };
    Mark Save() const { return {position_, remaining_}; }
    void Restore(const Mark& mark) {
        position_ = mark.position;
        remaining_ = mark.remaining;
    }

    int GetUnsigned(uint64_t& value, size_t bytes);
    void Skip(size_t bytes) {
        position_ += bytes;
        remaining_ -= bytes;
    }

    const uint8_t* position_;
    size_t remaining_;
    LengthWidth width_;
};

}  // namespace Marlin
