// The value encoding (CDataParser) on bytes from a peer. Each message begins with a value
// of its own kind, so every reader runs over the whole input, in both length widths: each
// kind of value read again and again until the bytes give out, and a mixed reader that
// takes each value's kind from the byte before it.
//
// Properties, beyond the sanitizers' and the allocation limit (-malloc_limit_mb: no read
// reserves what the message cannot back):
// - a Get that fails consumes nothing, also a record or a list that fails part way;
// - a Get that succeeds consumes exactly the bytes the converter writes for the value it
//   returned, unless a text stopped at a NUL (which the converter does not write back);
// - a count that is accepted fits in what is left of the message.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "FuzzCheck.h"

using Marlin::CDataConverter;
using Marlin::CDataParser;
using Marlin::FileAttributeBlock;
using Marlin::LengthWidth;

namespace {

// One Get on the parser and its checks. put writes the value back; the converter's bytes
// must then be the consumed ones, or shorter when the consumed ones hold a NUL.
template <typename Value>
bool Step(CDataParser& in, const std::function<int(CDataParser&, Value&)>& get,
          const std::function<void(CDataConverter&, const Value&)>& put) {
    const uint8_t* at = in.Position();
    const size_t before = in.Remaining();
    Value value{};
    if (!get(in, value)) {
        FUZZ_CHECK(in.Position() == at);
        FUZZ_CHECK(in.Remaining() == before);
        return false;
    }
    FUZZ_CHECK(in.Remaining() <= before);
    const size_t used = before - in.Remaining();
    FUZZ_CHECK(in.Position() == at + used);
    FUZZ_CHECK(used > 0);

    CDataConverter out(in.Width());
    put(out, value);
    if (out.Size() == used) {
        FUZZ_CHECK(std::memcmp(out.Data(), at, used) == 0);
    } else {
        FUZZ_CHECK(out.Size() < used);
        FUZZ_CHECK(std::memchr(at, 0, used) != nullptr);
    }
    return true;
}

template <typename T>
bool Plain(CDataParser& in) {
    return Step<T>(
        in, [](CDataParser& p, T& v) { return p.Get(v); }, [](CDataConverter& o, const T& v) { o.Put(v); });
}

bool WideText(CDataParser& in) {
    return Step<std::wstring>(
        in, [](CDataParser& p, std::wstring& v) { return p.Get(v); },
        [](CDataConverter& o, const std::wstring& v) { o.Put(std::wstring_view(v)); });
}

bool NarrowText(CDataParser& in) {
    return Step<std::string>(
        in, [](CDataParser& p, std::string& v) { return p.Get(v); },
        [](CDataConverter& o, const std::string& v) { o.Put(std::string_view(v)); });
}

// A record of the kind the engine's messages carry: a path, a flag word and the file's
// attribute block; a cut one restores the position.
struct FileRecord {
    std::wstring path;
    uint32_t flags = 0;
    FileAttributeBlock block;
};

int GetFileRecord(CDataParser& in, FileRecord& r) {
    return in.GetRecord([&r](CDataParser& p) { return p.Get(r.path) && p.Get(r.flags) && p.Get(r.block); });
}

void PutFileRecord(CDataConverter& out, const FileRecord& r) {
    out.Put(std::wstring_view(r.path));
    out.Put(r.flags);
    out.Put(r.block);
}

bool Record(CDataParser& in) { return Step<FileRecord>(in, &GetFileRecord, &PutFileRecord); }

bool RecordList(CDataParser& in) {
    // The least a record takes: the text's length field, the flags and the block.
    const size_t least = static_cast<size_t>(in.Width()) + 4 + FileAttributeBlock::kEncodedSize;
    return Step<std::vector<FileRecord>>(
        in, [least](CDataParser& p, std::vector<FileRecord>& v) { return p.GetList(v, least, &GetFileRecord); },
        [](CDataConverter& o, const std::vector<FileRecord>& v) { o.PutList(v, &PutFileRecord); });
}

bool TextList(CDataParser& in) {
    return Step<std::vector<std::wstring>>(
        in, [](CDataParser& p, std::vector<std::wstring>& v) { return p.Get(v); },
        [](CDataConverter& o, const std::vector<std::wstring>& v) { o.Put(v); });
}

bool Count(CDataParser& in, size_t least) {
    const uint8_t* at = in.Position();
    const size_t before = in.Remaining();
    uint64_t count = 0;
    if (!in.GetCount(count, least)) {
        FUZZ_CHECK(in.Position() == at && in.Remaining() == before);
        return false;
    }
    FUZZ_CHECK(before - in.Remaining() == static_cast<size_t>(in.Width()));
    FUZZ_CHECK(count <= in.Remaining() / (least == 0 ? 1 : least));
    return true;
}

bool Bytes(CDataParser& in) {
    uint8_t block[20];
    const size_t before = in.Remaining();
    if (!in.GetBytes(block, sizeof block)) {
        FUZZ_CHECK(in.Remaining() == before);
        return false;
    }
    FUZZ_CHECK(before - in.Remaining() == sizeof block);
    return true;
}

using Reader = std::function<bool(CDataParser&)>;

const std::vector<Reader>& Readers() {
    static const std::vector<Reader> readers = {
        &Plain<int16_t>, &Plain<uint16_t>, &Plain<int32_t>, &Plain<uint32_t>, &Plain<int64_t>, &Plain<uint64_t>,
        &Plain<FileAttributeBlock>, &WideText, &NarrowText, &TextList, &Record, &RecordList, &Bytes,
        [](CDataParser& in) { return Count(in, 0); }, [](CDataParser& in) { return Count(in, 16); },
    };
    return readers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (LengthWidth width : {LengthWidth::Four, LengthWidth::Eight}) {
        for (const Reader& read : Readers()) {
            CDataParser in(data, size, width);
            while (read(in)) {
            }
        }
        // Mixed: a byte names the kind of the value after it.
        CDataParser in(data, size, width);
        uint8_t kind = 0;
        while (in.GetBytes(&kind, 1) && Readers()[kind % Readers().size()](in)) {
        }
    }
    return 0;
}
