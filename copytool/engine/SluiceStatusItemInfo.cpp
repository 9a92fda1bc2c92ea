#include "SluiceStatusItemInfo.h"

#include <utility>

#include "Paths.h"

namespace Marlin::Sluice {

namespace {

bool HasRoot(const CopyItemTree& t) { return !t.empty() && t.begin()->kind == CopyItemKind::Root; }

}  // namespace

SluiceStatusItemInfo::SluiceStatusItemInfo(const SluiceStatusItemInfo& other)
    : treeIndex_(other.treeIndex_),
      node_(other.node_),
      state_(other.state_.load()),
      phase_(other.phase_),
      itemsDone_(other.itemsDone_),
      bytesDone_(other.bytesDone_),
      weightedBytesDone_(other.weightedBytesDone_),
      destinationFolder_(other.destinationFolder_),
      rootDestinationPath_(other.rootDestinationPath_) {}

SluiceStatusItemInfo& SluiceStatusItemInfo::operator=(const SluiceStatusItemInfo& other) {
    if (this == &other) return *this;
    treeIndex_ = other.treeIndex_;
    node_ = other.node_;
    state_.store(other.state_.load());
    phase_ = other.phase_;
    itemsDone_ = other.itemsDone_;
    bytesDone_ = other.bytesDone_;
    weightedBytesDone_ = other.weightedBytesDone_;
    destinationFolder_ = other.destinationFolder_;
    rootDestinationPath_ = other.rootDestinationPath_;
    return *this;
}

SluiceStatusItemInfo::~SluiceStatusItemInfo() = default;

void SluiceStatusItemInfo::Begin(CopyItemsData& items, int32_t foldersFirst, const std::wstring& destinationFolder) {
    destinationFolder_ = destinationFolder;
    rootDestinationPath_.clear();
    itemsDone_ = 0;
    bytesDone_ = 0;
    weightedBytesDone_ = 0;
    phase_ = NoPhase;
    node_ = CopyItemTree::iterator();
    treeIndex_ = 0;
    state_.store(Walking);
    SeekRoot(items, foldersFirst);
}

void SluiceStatusItemInfo::Step(CopyItemsData& items, int32_t foldersFirst, CopyItemFlags passedFlag) {
    if (State() != Walking || treeIndex_ >= items.TreeCount() || !node_.node()) return;
    Account(passedFlag);
    CopyItemTree& t = items.Tree(treeIndex_);
    ++node_;
    if (node_ != t.end()) return;
    if (phase_ == FoldersPass) {
        phase_ = RemainingPass;
        node_ = t.begin();
        return;
    }
    ++treeIndex_;
    SeekRoot(items, foldersFirst);
}

void SluiceStatusItemInfo::SeekRoot(CopyItemsData& items, int32_t foldersFirst) {
    while (treeIndex_ < items.TreeCount() && !HasRoot(items.Tree(treeIndex_))) ++treeIndex_;
    if (treeIndex_ >= items.TreeCount()) {
        treeIndex_ = NoTree;
        node_ = CopyItemTree::iterator();
        state_.store(Done);
        return;
    }
    CopyItemTree& t = items.Tree(treeIndex_);
    phase_ = foldersFirst == 1 ? FoldersPass : SinglePass;
    node_ = t.begin();
    rootDestinationPath_ = MakeDestinationName(node_->path, items.TreeCount(), destinationFolder_);
}

void SluiceStatusItemInfo::Account(CopyItemFlags passedFlag) {
    const CopyItemKind kind = node_->kind;
    const bool counts = (phase_ == FoldersPass && kind == CopyItemKind::Folder) ||
                        (phase_ == RemainingPass && kind == CopyItemKind::File) ||
                        (phase_ == SinglePass && (kind == CopyItemKind::File || kind == CopyItemKind::Folder));
    if (!counts) return;
    node_->AddFlags(passedFlag);
    const uint64_t size = node_->size > 0 ? static_cast<uint64_t>(node_->size) : 0;
    bytesDone_ += size;
    if (kind == CopyItemKind::File) weightedBytesDone_ += size == 0 ? EmptyFileWeight : size;
    ++itemsDone_;
}

void SluiceStatusItemInfo::Reset() { *this = SluiceStatusItemInfo(); }

void SluiceStatusItemInfo::Restore(size_t treeIndex, CopyItemTree::iterator node, int32_t state, int32_t phase,
                                   uint64_t itemsDone, uint64_t bytesDone, uint64_t weightedBytesDone,
                                   std::wstring destinationFolder, std::wstring rootDestinationPath) {
    treeIndex_ = treeIndex;
    node_ = node;
    state_.store(state);
    phase_ = phase;
    itemsDone_ = itemsDone;
    bytesDone_ = bytesDone;
    weightedBytesDone_ = weightedBytesDone;
    destinationFolder_ = std::move(destinationFolder);
    rootDestinationPath_ = std::move(rootDestinationPath);
}

CopyItemKind SluiceStatusItemInfo::Kind() const { return node_.node() ? node_->kind : CopyItemKind::None; }

std::wstring SluiceStatusItemInfo::RootSourcePath() const {
    const CopyItemTree::node_type* top = node_.node();
    if (!top) return std::wstring();
    while (top->parent) top = top->parent;
    return top->data.path;
}

std::wstring SluiceStatusItemInfo::ItemSourcePath() const {
    return node_.node() ? CopyItemsData::SourcePath(node_) : std::wstring();
}

std::wstring SluiceStatusItemInfo::ItemDestinationPath() const {
    return node_.node() ? CopyItemsData::FullPath(node_, rootDestinationPath_) : std::wstring();
}

}  // namespace Marlin::Sluice
