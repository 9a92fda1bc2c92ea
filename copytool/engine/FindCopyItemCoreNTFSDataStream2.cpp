#include "FindCopyItemCoreNTFSDataStream2.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "Paths.h"
#include "ReadStreamList.h"

namespace Marlin::Sluice {

namespace {

// Remembers the first failed request: the parser ends a list the same way at the end of the
// backup stream and at a failure, and only the second is an error.
class WatchedStream : public NTFSDataStream::IBackupStream {
public:
    explicit WatchedStream(NTFSDataStream::IBackupStream& inner) : inner_(inner) {}
    bool Read(void* buffer, uint32_t size, uint32_t& read) override { return Note(inner_.Read(buffer, size, read)); }
    bool Seek(uint64_t size) override { return Note(inner_.Seek(size)); }

    uint32_t failure = 0;

private:
    bool Note(bool ok) {
        if (!ok && failure == 0) {
            failure = ::GetLastError();
            if (failure == 0) failure = ERROR_READ_FAULT;
        }
        return ok;
    }
    NTFSDataStream::IBackupStream& inner_;
};

}  // namespace

FindCopyItemCoreNTFSDataStream2::FindCopyItemCoreNTFSDataStream2(std::wstring file,
                                                                 const NTFSDataStream::BackupStreamOpener& open)
    : file_(std::move(file)), open_(open) {}

FindCopyItemCoreNTFSDataStream2::~FindCopyItemCoreNTFSDataStream2() = default;

bool FindCopyItemCoreNTFSDataStream2::First() {
    streams_.clear();
    position_ = 0;
    std::unique_ptr<NTFSDataStream::IBackupStream> stream = open_ ? open_(ToLongPath(file_)) : nullptr;
    if (!stream) {
        const DWORD error = ::GetLastError();
        throw ListingFailure(error != 0 ? error : ERROR_READ_FAULT, file_);
    }
    WatchedStream watched(*stream);
    NTFSDataStream::ReadStreamList(watched, streams_);
    if (watched.failure != 0) {
        // A part of the list is no list: the streams after the failure would be left out.
        streams_.clear();
        throw ListingFailure(watched.failure, file_);
    }
    SkipDefaultStreams();
    return position_ < streams_.size();
}

bool FindCopyItemCoreNTFSDataStream2::Next(CopyItemData& item) {
    SkipDefaultStreams();
    if (position_ >= streams_.size()) {
        item = CopyItemData();
        return false;
    }
    const NTFSDataStream::StreamData& stream = streams_[position_];
    item = CopyItemData(file_ + stream.name, stream.size, CopyItemKind::Stream);
    ++position_;
    SkipDefaultStreams();
    return position_ < streams_.size();
}

void FindCopyItemCoreNTFSDataStream2::SkipDefaultStreams() {
    while (position_ < streams_.size() && PathEquals(streams_[position_].name, L"::$DATA")) ++position_;
}

}  // namespace Marlin::Sluice
