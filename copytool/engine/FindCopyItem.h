// The walk of one source into the last tree of a CopyItemsData: a depth-first search over a
// stack of strategies, the source on the bottom, one level per open folder above it and a
// file's streams on top, so memory grows with the depth of the tree, not its size. Items
// arrive in pre-order, each folder before its entries, a file before its streams and the
// move markers after what they depend on.
//
// A move never deletes through a link: below a junction or directory link the entries are
// copied as the link shows them but get no markers; only the link itself is removed. A
// folder that is one of the folders the walk is already in (a link back to an ancestor,
// which Wine even shows as a plain folder) is listed but not entered again, and keeps its
// source: there is no end to such a walk, and nothing below it is the move's own.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CopyItemData.h"
#include "CopyItemsData.h"
#include "FolderFacts.h"
#include "IBackupStream.h"
#include "IFindCopyItemCore.h"

namespace Marlin::Sluice {

class FindCopyItem {
public:
    // Streams are read through the platform's backup interface.
    FindCopyItem();
    // Streams are read through open instead.
    explicit FindCopyItem(NTFSDataStream::BackupStreamOpener open);
    // Folders are inspected through inspect instead of the file system.
    FindCopyItem(NTFSDataStream::BackupStreamOpener open, FolderInspector inspect);
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
    void EnterFolder();
    void ListStreams(CopyItemsData& items);

    // A folder the walk is in: the stack level that lists it, what it is, and whether
    // the markers of a move may be set below it (not below a link).
    struct WalkedFolder {
        size_t level;
        std::optional<Marlin::FileIdentity> identity;
        bool deletes;
    };

    NTFSDataStream::BackupStreamOpener open_;  // before the stack: stream levels borrow it
    std::vector<std::unique_ptr<IFindCopyItemCore>> stack_;
    FolderInspector inspect_;
    std::vector<WalkedFolder> walked_;
    std::wstring keepSource_;  // a file whose streams could not be listed: no DeleteFile marker
    CopyItemData item_;
    const bool recurse_ = true;
    bool streams_ = false;
    bool move_ = false;
};

}  // namespace Marlin::Sluice
