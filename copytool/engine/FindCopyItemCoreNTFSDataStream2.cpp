#include "FindCopyItemCoreNTFSDataStream2.h"

#include <utility>

#include "Paths.h"
#include "ReadStreamList.h"

namespace Marlin::Sluice {

FindCopyItemCoreNTFSDataStream2::FindCopyItemCoreNTFSDataStream2(std::wstring file,
                                                                 const NTFSDataStream::BackupStreamOpener& open)
    : file_(std::move(file)), open_(open) {}

FindCopyItemCoreNTFSDataStream2::~FindCopyItemCoreNTFSDataStream2() = default;

bool FindCopyItemCoreNTFSDataStream2::First() {
    NTFSDataStream::ReadStreamList(ToLongPath(file_), streams_, open_);
    position_ = 0;
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
