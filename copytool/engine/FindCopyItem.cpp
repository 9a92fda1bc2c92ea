#include "FindCopyItem.h"

#include <utility>

#include "CBackupStream.h"
#include "FindCopyItemCoreNTFSDataStream2.h"
#include "FindCopyItemCoreRoot2.h"
#include "FindCopyItemCoreSubFolder2.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

FindCopyItem::FindCopyItem() : FindCopyItem(&NTFSDataStream::CBackupStream::Open) {}

FindCopyItem::FindCopyItem(NTFSDataStream::BackupStreamOpener open) : open_(std::move(open)) {}

FindCopyItem::~FindCopyItem() = default;

bool FindCopyItem::Run(const std::wstring& source, bool streams, bool move, CopyItemsData& items) {
    streams_ = streams;
    move_ = move;
    stack_.clear();
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
    return done;
}

bool FindCopyItem::Walk(CopyItemsData& items) {
    while (!stack_.empty()) {
        if (!stack_.back()->Next(item_)) stack_.pop_back();

        // A folder's entries and a file's streams come before whatever the level below
        // prepared next (the next entry, or the file's DeleteFile marker).
        if (recurse_ && item_.kind == CopyItemKind::Folder)
            Push(std::make_unique<FindCopyItemCoreSubFolder2>(item_.path, move_));
        if (streams_ && item_.kind == CopyItemKind::File)
            Push(std::make_unique<FindCopyItemCoreNTFSDataStream2>(item_.path, open_));

        // An item the tree refuses means the walk and the tree disagree about the paths; a
        // job built on such a tree would copy the wrong things, so the source fails instead.
        if (!items.AddItem(item_)) return false;
    }
    return true;
}

bool FindCopyItem::Push(std::unique_ptr<IFindCopyItemCore> core) {
    stack_.push_back(std::move(core));
    if (stack_.back()->First()) return true;
    stack_.pop_back();
    return false;
}

}  // namespace Marlin::Sluice
