// The stream list read from a file's backup stream: bytes the engine did not make (a file
// system, a server behind a network share), parsed header by header.
//
// The bytes are replayed as the backup interface hands them over: reads of what is asked
// (once whole, once in pieces of 7 bytes, as BackupRead may split a part), and seeks that
// skip a stream's data and fail when less is left. Properties: both deliveries give the
// same list; each entry took at least a header's bytes; no size is negative; the result
// says whether anything was listed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "IBackupStream.h"
#include "ReadStreamList.h"
#include "StreamData.h"

using Marlin::Sluice::NTFSDataStream::IBackupStream;
using Marlin::Sluice::NTFSDataStream::ReadStreamList;
using Marlin::Sluice::NTFSDataStream::StreamData;

namespace {

class ReplayedBackupStream : public IBackupStream {
public:
    ReplayedBackupStream(const uint8_t* data, size_t size, uint32_t piece) : data_(data), size_(size), piece_(piece) {}

    bool Read(void* buffer, uint32_t size, uint32_t& read) override {
        size_t n = std::min<size_t>(size, size_ - position_);
        if (piece_ != 0) n = std::min<size_t>(n, piece_);
        if (n != 0) std::memcpy(buffer, data_ + position_, n);
        position_ += n;
        read = static_cast<uint32_t>(n);
        return true;
    }

    bool Seek(uint64_t size) override {
        FUZZ_CHECK(size != 0);  // the parser never asks to skip nothing
        if (size > size_ - position_) {
            position_ = size_;
            return false;
        }
        position_ += static_cast<size_t>(size);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    uint32_t piece_;
    size_t position_ = 0;
};

std::vector<StreamData> List(const uint8_t* data, size_t size, uint32_t piece) {
    ReplayedBackupStream stream(data, size, piece);
    std::vector<StreamData> list = {StreamData(L":stale:$DATA", 1)};
    const bool any = ReadStreamList(stream, list);
    FUZZ_CHECK(any == !list.empty());
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<StreamData> whole = List(data, size, 0);
    const std::vector<StreamData> pieces = List(data, size, 7);
    FUZZ_CHECK(whole.size() == pieces.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        FUZZ_CHECK(whole[i].name == pieces[i].name);
        FUZZ_CHECK(whole[i].size == pieces[i].size);
    }
    FUZZ_CHECK(whole.size() <= size / 20);
    for (const StreamData& stream : whole) FUZZ_CHECK(stream.size >= 0);
    return 0;
}
