// A cursor over a job's item trees: the reader and the writer each drive one, walking the
// trees in order and each tree in pre-order, and counting what they have finished.
//
// A cursor holds positions, not the trees: every walking call is given the status's items
// and its foldersFirst value. With foldersFirst 1 a tree is walked twice, folders first
// (phase 1) and then everything else (phase 2); otherwise once (phase 3).
//
// Only the thread that drives a cursor moves it; the other copy thread and the engine
// thread read its state while it moves, so the state alone is atomic.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "CopyItemFlags.h"
#include "CopyItemsData.h"

namespace Marlin::Sluice {

class SluiceStatusItemInfo {
public:
    enum State : int32_t {
        NotStarted = 0,
        Walking = 1,
        Done = 2,     // passed the last item of the last tree
        Stopped = 3,  // its thread ended on an error (set by that thread)
    };
    enum Phase : int32_t {
        NoPhase = 0,
        FoldersPass = 1,
        RemainingPass = 2,
        SinglePass = 3,
    };
    static constexpr size_t NoTree = static_cast<size_t>(-1);
    // A file of size 0 still counts for this much of the weighted progress.
    static constexpr uint64_t EmptyFileWeight = 512;

    SluiceStatusItemInfo() = default;
    // Copies take the state as it is at that moment; a copy refers to the same trees.
    SluiceStatusItemInfo(const SluiceStatusItemInfo& other);
    SluiceStatusItemInfo& operator=(const SluiceStatusItemInfo& other);
    virtual ~SluiceStatusItemInfo();

    // Walking starts at the first tree that has a root, or ends at once (Done) when none has.
    void Begin(CopyItemsData& items, int32_t foldersFirst, const std::wstring& destinationFolder);
    // Accounts the current item (giving it passedFlag when it counts) and moves to the next
    // item in pre-order, to the second pass or to the next tree. Nothing unless walking.
    void Step(CopyItemsData& items, int32_t foldersFirst, CopyItemFlags passedFlag);
    // Back to a cursor as constructed.
    void Reset();
    // Puts a cursor where another process left it (the elevated copy receives cursors as
    // tree and node positions). The node must lie in the tree at treeIndex, or be empty.
    void Restore(size_t treeIndex, CopyItemTree::iterator node, int32_t state, int32_t phase, uint64_t itemsDone,
                 uint64_t bytesDone, uint64_t weightedBytesDone, std::wstring destinationFolder,
                 std::wstring rootDestinationPath);

    int32_t State() const { return state_.load(); }
    void SetState(int32_t state) { state_.store(state); }
    bool IsWalking() const { return State() == Walking; }
    int32_t Phase() const { return phase_; }
    // NoTree before Begin and once the walk has passed the last tree.
    size_t TreeIndex() const { return treeIndex_; }
    // Empty (no node) when the cursor holds no item.
    CopyItemTree::iterator Node() const { return node_; }
    // None when the cursor holds no item.
    CopyItemKind Kind() const;
    uint64_t ItemsDone() const { return itemsDone_; }
    uint64_t BytesDone() const { return bytesDone_; }
    uint64_t WeightedBytesDone() const { return weightedBytesDone_; }
    const std::wstring& DestinationFolder() const { return destinationFolder_; }
    const std::wstring& RootDestinationPath() const { return rootDestinationPath_; }

    // The source as the job lists it: the head path of the current tree; empty without an item.
    std::wstring RootSourcePath() const;
    // Full paths of the current item, on the source side from the tree's head path, on the
    // destination side from the root destination path; empty without an item.
    std::wstring ItemSourcePath() const;
    std::wstring ItemDestinationPath() const;

private:
    void SeekRoot(CopyItemsData& items, int32_t foldersFirst);
    void Account(CopyItemFlags passedFlag);

    size_t treeIndex_ = NoTree;
    CopyItemTree::iterator node_;
    std::atomic<int32_t> state_{NotStarted};
    int32_t phase_ = NoPhase;
    uint64_t itemsDone_ = 0;
    uint64_t bytesDone_ = 0;
    uint64_t weightedBytesDone_ = 0;
    std::wstring destinationFolder_;
    std::wstring rootDestinationPath_;
};

}  // namespace Marlin::Sluice
