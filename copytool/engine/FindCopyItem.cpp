#include "FindCopyItem.h"

#include <unordered_set>
#include <utility>

#include "CBackupStream.h"
#include "FindCopyItemCoreNTFSDataStream2.h"
#include "FindCopyItemCoreRoot2.h"
#include "FindCopyItemCoreSubFolder2.h"

namespace Marlin::Sluice {

namespace {

// The names below a folder node, folded the way the tree compares them.
IFindCopyItemCore::AlreadyListed NamesBelow(const CopyItemTree::iterator& folder) {
    auto fold = [](std::wstring name) {
        for (wchar_t& c : name)
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        return name;
    };
    auto names = std::make_shared<std::unordered_set<std::wstring>>();
    if (folder.node())
        for (auto* child = folder.node()->first_child; child; child = child->next_sibling)
            if (!child->data.path.empty()) names->insert(fold(child->data.path));
    return [names, fold](const std::wstring& name) { return names->count(fold(name)) != 0; };
}

}  // namespace

FindCopyItem::FindCopyItem() : FindCopyItem(Calls{}) {}

FindCopyItem::FindCopyItem(NTFSDataStream::BackupStreamOpener open) : FindCopyItem(Calls{std::move(open), {}, {}}) {}

FindCopyItem::FindCopyItem(Calls calls) : calls_(std::move(calls)) {
    if (!calls_.open) calls_.open = &NTFSDataStream::CBackupStream::Open;
    if (!calls_.inspect) calls_.inspect = &InspectFolder;
}

FindCopyItem::~FindCopyItem() = default;

bool FindCopyItem::Run(const std::wstring& source, bool streams, bool move, CopyItemsData& items) {
    streams_ = streams;
    move_ = move;
    stack_.clear();
    walked_.clear();
    keepSource_.clear();
    item_ = CopyItemData();
    stopped_ = nullptr;
    bool done = false;
    try {
        Push(std::make_unique<FindCopyItemCoreRoot2>(source, move_, calls_.search), CopyItemTree::iterator());
        done = Walk(items);
    } catch (const WindowsFileException&) {
        // The source is missing or unreachable, or a folder could not be listed and nobody
        // was asked; the job reports the failed enumeration.
        done = false;
    } catch (...) {
        done = false;
    }
    stack_.clear();
    if (stopped_) std::rethrow_exception(std::exchange(stopped_, nullptr));
    return done;
}

bool FindCopyItem::Walk(CopyItemsData& items) {
    while (!stack_.empty()) {
        bool dropped = false;
        item_ = CopyItemData();
        const size_t itemLevel = stack_.size() - 1;
        if (!Step(Call::Next, dropped) && !dropped) stack_.pop_back();
        if (item_.kind == CopyItemKind::None) continue;  // a level dropped before it handed anything out
        // The folders the walk is in are those listed at the item's level and below it; a
        // level that handed out its last item still counts for that item.
        while (!walked_.empty() && walked_.back().level > itemLevel) walked_.pop_back();
        if (item_.kind == CopyItemKind::DeleteFile && !keepSource_.empty() && item_.path == keepSource_) continue;

        // An item the tree refuses means the walk and the tree disagree about the paths; a
        // job built on such a tree would copy the wrong things, so the source fails instead.
        CopyItemTree::iterator placed;
        if (!items.AddItem(item_, &placed)) return false;

        // A folder's entries and a file's streams come before whatever the level below
        // prepared next (the next entry, or the file's DeleteFile marker).
        if (recurse_ && item_.kind == CopyItemKind::Folder) EnterFolder(placed);
        if (streams_ && item_.kind == CopyItemKind::File) ListStreams(placed);
    }
    return true;
}

void FindCopyItem::EnterFolder(const CopyItemTree::iterator& placed) {
    const FolderFacts facts = calls_.inspect(item_.path);
    for (const WalkedFolder& folder : walked_)
        if (facts.identity && folder.identity && *folder.identity == *facts.identity) return;
    const bool deletesHere = walked_.empty() ? move_ : walked_.back().deletes;
    // What a link shows belongs to its target, wherever that is: copied, never deleted.
    const bool deletesBelow = deletesHere && !facts.link;
    const size_t level = stack_.size();
    Push(std::make_unique<FindCopyItemCoreSubFolder2>(item_.path, deletesBelow, deletesHere, calls_.search), placed);
    if (stack_.size() > level) walked_.push_back(WalkedFolder{level, facts.identity, deletesBelow});
}

void FindCopyItem::ListStreams(const CopyItemTree::iterator& placed) {
    // The file's node stands for the level: a skipped listing marks the file, which is then
    // left out, and its DeleteFile marker, still to come from the level below, is dropped.
    Push(std::make_unique<FindCopyItemCoreNTFSDataStream2>(item_.path, calls_.open), placed);
    if (placed.node() && placed->HasFlags(CopyItemFlags::Skip)) keepSource_ = item_.path;
}

void FindCopyItem::Push(std::unique_ptr<IFindCopyItemCore> core, const CopyItemTree::iterator& folder) {
    stack_.push_back(Level{std::move(core), folder});
    bool dropped = false;
    if (!Step(Call::First, dropped) && !dropped) stack_.pop_back();
}

bool FindCopyItem::Step(Call call, bool& dropped) {
    dropped = false;
    bool resumed = false;
    for (;;) {
        Level& level = stack_.back();
        try {
            if (resumed) {
                resumed = false;
                // A resumed level has prepared its next item like First; a Next still has
                // to hand it out.
                if (!level.core->Resume(NamesBelow(level.folder))) return false;
                if (call == Call::First) return true;
            }
            return call == Call::First ? level.core->First() : level.core->Next(item_);
        } catch (const IFindCopyItemCore::ListingFailure& failure) {
            if (Ask(failure) == ListingAnswer::Skip) {
                // What was listed of the folder goes with it: the user left the folder out.
                // A move then keeps the folder's source, contents and all.
                CopyItemsData::AddFlagsToSubtree(level.folder, CopyItemFlags::Skip);
                stack_.pop_back();
                dropped = true;
                return false;
            }
            resumed = true;
        }
    }
}

FindCopyItem::ListingAnswer FindCopyItem::Ask(const IFindCopyItemCore::ListingFailure& failure) {
    if (!calls_.question) throw failure;  // nobody to ask: the walk fails
    try {
        return calls_.question(failure);
    } catch (...) {
        stopped_ = std::current_exception();
        throw;
    }
}

}  // namespace Marlin::Sluice
