// The named data streams of one file, one Stream item each (path: the file's path followed
// by the stream name, such as "C:\s\a.txt:s1:$DATA"). The unnamed default stream is the
// file's own data and is left out. A file whose streams cannot be listed (it cannot be
// opened for it, or the backup stream fails part-way) throws ListingFailure from First:
// its streams would be lost without a word otherwise.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "CopyItemData.h"
#include "IBackupStream.h"
#include "IFindCopyItemCore.h"
#include "StreamData.h"

namespace Marlin::Sluice {

class FindCopyItemCoreNTFSDataStream2 : public IFindCopyItemCore {
public:
    // open is borrowed and must outlive the object.
    FindCopyItemCoreNTFSDataStream2(std::wstring file, const NTFSDataStream::BackupStreamOpener& open);
    ~FindCopyItemCoreNTFSDataStream2() override;

    bool First() override;
    bool Next(CopyItemData& item) override;
private:
    void SkipDefaultStreams();

    std::wstring file_;
    std::vector<NTFSDataStream::StreamData> streams_;
    size_t position_ = 0;
    const NTFSDataStream::BackupStreamOpener& open_;
};

}  // namespace Marlin::Sluice
