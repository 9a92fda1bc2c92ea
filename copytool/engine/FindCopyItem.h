// The walk of one source into the last tree of a CopyItemsData: a depth-first search over a
// stack of strategies, the source on the bottom, one level per open folder above it and a
// file's streams on top, so memory grows with the depth of the tree, not its size. Items
// arrive in pre-order, each folder before its entries, a file before its streams and the
// move markers after what they depend on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CopyItemData.h"
#include "CopyItemsData.h"
#include "IBackupStream.h"
#include "IFindCopyItemCore.h"

namespace Marlin::Sluice {

class FindCopyItem {
public:
    // Streams are read through the platform's backup interface.
    FindCopyItem();
    // Streams are read through open instead.
    explicit FindCopyItem(NTFSDataStream::BackupStreamOpener open);
    FindCopyItem(const FindCopyItem&) = delete;
    FindCopyItem& operator=(const FindCopyItem&) = delete;
    virtual ~FindCopyItem();

    // Lists source into items' last tree, whose head must hold source in the form
    // NormalizeSourcePath gives. streams: list named streams of files; move: add the
    // DeleteFile and RemoveFolder markers. False when the source cannot be reached (it does
    // not exist) or an item does not fit the tree; the tree then holds what was listed so far.
    bool Run(const std::wstring& source, bool streams, bool move, CopyItemsData& items);

private:
    bool Walk(CopyItemsData& items);
    bool Push(std::unique_ptr<IFindCopyItemCore> core);

    NTFSDataStream::BackupStreamOpener open_;  // before the stack: stream levels borrow it
    std::vector<std::unique_ptr<IFindCopyItemCore>> stack_;
    CopyItemData item_;
    const bool recurse_ = true;
    bool streams_ = false;
    bool move_ = false;
};

}  // namespace Marlin::Sluice
