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
// source: there is no end to such a walk, and nothing below it is the move's own. A file
// whose named streams cannot be listed is asked about like a folder; skipped, it is left
// out and a move keeps it.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CFindEx.h"
#include "CopyItemData.h"
#include "CopyItemsData.h"
#include "FolderFacts.h"
#include "IBackupStream.h"
#include "IFindCopyItemCore.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

class FindCopyItem {
public:
    // What the user made of a folder (or a source) that could not be listed: list it again,
    // or leave it out of the job, its whole subtree marked Skip. Stopping the job is an
    // exception thrown by the question, which leaves the walk as it is.
    enum class ListingAnswer { Retry, Skip };
    using ListingQuestion = std::function<ListingAnswer(const Marlin::WindowsFileException& failure)>;

    // How the walk reaches the platform and the user; an empty part takes the default.
    struct Calls {
        NTFSDataStream::BackupStreamOpener open;  // streams; default: the platform's backup interface
        SearchMaker search;                       // default: CFindEx
        ListingQuestion question;                 // default: a listing failure fails the walk
        FolderInspector inspect;                  // default: InspectFolder
    };

    // Streams are read through the platform's backup interface.
    FindCopyItem();
    // Streams are read through open instead.
    explicit FindCopyItem(NTFSDataStream::BackupStreamOpener open);
    explicit FindCopyItem(Calls calls);
    FindCopyItem(const FindCopyItem&) = delete;
    FindCopyItem& operator=(const FindCopyItem&) = delete;
    virtual ~FindCopyItem();

    // Lists source into items' last tree, whose head must hold source in the form
    // NormalizeSourcePath gives. streams: list named streams of files; move: add the
    // DeleteFile and RemoveFolder markers. False when the source cannot be reached (it does
    // not exist), an item does not fit the tree, or a folder cannot be listed and nobody is
    // asked; the tree then holds what was listed so far. What the question throws leaves
    // the walk as it is.
    bool Run(const std::wstring& source, bool streams, bool move, CopyItemsData& items);

private:
    // One level of the stack, with the tree node of the folder it lists (empty for the
    // source's own level and for streams).
    struct Level {
        std::unique_ptr<IFindCopyItemCore> core;
        CopyItemTree::iterator folder;
    };
    enum class Call { First, Next };

    bool Walk(CopyItemsData& items);
    void Push(std::unique_ptr<IFindCopyItemCore> core, const CopyItemTree::iterator& folder);
    // Calls First or Next (into item_) on the top level. A listing failure is asked about:
    // retry resumes the level, skip marks its folder and drops the level. Returns whether
    // the level has more to say; false when it is done or was dropped (then it is popped
    // for a First and item_ stays empty).
    bool Step(Call call, bool& dropped);
    void EnterFolder(const CopyItemTree::iterator& placed);
    void ListStreams(const CopyItemTree::iterator& placed);
    ListingAnswer Ask(const IFindCopyItemCore::ListingFailure& failure);

    Calls calls_;  // before the stack: stream levels borrow its opener
    std::vector<Level> stack_;
    // A folder the walk is in: the stack level that lists it, what it is, and whether the
    // markers of a move may be set below it (not below a link).
    struct WalkedFolder {
        size_t level;
        std::optional<Marlin::FileIdentity> identity;
        bool deletes;
    };
    std::vector<WalkedFolder> walked_;
    std::wstring keepSource_;  // a file left out for its streams: its DeleteFile marker goes too
    CopyItemData item_;
    const bool recurse_ = true;
    bool streams_ = false;
    bool move_ = false;
    std::exception_ptr stopped_;  // what the question threw
};

}  // namespace Marlin::Sluice
