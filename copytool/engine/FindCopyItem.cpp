#include "FindCopyItem.h"

#include <utility>

#include "CBackupStream.h"
#include "FindCopyItemCoreNTFSDataStream2.h"
#include "FindCopyItemCoreRoot2.h"
#include "FindCopyItemCoreSubFolder2.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

FindCopyItem::FindCopyItem() : FindCopyItem(&NTFSDataStream::CBackupStream::Open) {}

FindCopyItem::FindCopyItem(NTFSDataStream::BackupStreamOpener open) : FindCopyItem(std::move(open), &InspectFolder) {}

FindCopyItem::FindCopyItem(NTFSDataStream::BackupStreamOpener open, FolderInspector inspect)
    : open_(std::move(open)), inspect_(std::move(inspect)) {}

FindCopyItem::~FindCopyItem() = default;

bool FindCopyItem::Run(const std::wstring& source, bool streams, bool move, CopyItemsData& items) {
    streams_ = streams;
    move_ = move;
    stack_.clear();
    walked_.clear();
    keepSource_.clear();
    item_ = CopyItemData();
    bool done = false;
    try {
        stack_.push_back(std::make_unique<FindCopyItemCoreRoot2>(source, move_));
        if (!stack_.back()->First()) stack_.pop_back();
        done = Walk(items);
    } catch (const WindowsFileException&) {
        // The source is missing or unreachable; the job reports the failed enumeration.
        done = false;
    } catch (...) {
        done = false;
    }
    stack_.clear();
    walked_.clear();
    return done;
}

bool FindCopyItem::Walk(CopyItemsData& items) {
    while (!stack_.empty()) {
        const bool finished = !stack_.back()->Next(item_);
        if (finished) stack_.pop_back();
        // The folders the walk is in are those listed at the item's level and below it. A
        // level that handed out its last item still counts for that item: a subfolder listed
        // last lies inside it all the same.
        const size_t itemLevel = finished ? stack_.size() : stack_.size() - 1;
        while (!walked_.empty() && walked_.back().level > itemLevel) walked_.pop_back();
        if (item_.kind == CopyItemKind::DeleteFile && !keepSource_.empty() && item_.path == keepSource_) continue;

        // A folder's entries and a file's streams come before whatever the level below
        // prepared next (the next entry, or the file's DeleteFile marker).
        if (recurse_ && item_.kind == CopyItemKind::Folder) EnterFolder();
        if (streams_ && item_.kind == CopyItemKind::File) ListStreams(items);

        // An item the tree refuses means the walk and the tree disagree about the paths; a
        // job built on such a tree would copy the wrong things, so the source fails instead.
        if (!items.AddItem(item_)) return false;
    }
    return true;
}

void FindCopyItem::EnterFolder() {
    const FolderFacts facts = inspect_(item_.path);
    for (const WalkedFolder& folder : walked_)
        if (facts.identity && folder.identity && *folder.identity == *facts.identity) return;
    const bool deletesHere = walked_.empty() ? move_ : walked_.back().deletes;
    // What a link shows belongs to its target, wherever that is: copied, never deleted.
    const bool deletesBelow = deletesHere && !facts.link;
    if (Push(std::make_unique<FindCopyItemCoreSubFolder2>(item_.path, deletesBelow, deletesHere)))
        walked_.push_back(WalkedFolder{stack_.size() - 1, facts.identity, deletesBelow});
}

void FindCopyItem::ListStreams(CopyItemsData& items) {
    auto core = std::make_unique<FindCopyItemCoreNTFSDataStream2>(item_.path, open_);
    const bool any = core->First();
    if (core->ListingFailed()) {
        items.streamListingFailures.push_back(CopyItemsData::ListingFailure{item_.path, core->ListingError()});
        keepSource_ = item_.path;
    }
    if (any) stack_.push_back(std::move(core));
}

bool FindCopyItem::Push(std::unique_ptr<IFindCopyItemCore> core) {
    stack_.push_back(std::move(core));
    if (stack_.back()->First()) return true;
    stack_.pop_back();
    return false;
}

}  // namespace Marlin::Sluice
