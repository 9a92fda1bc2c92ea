// Everything one job copies: a tree of items per source, in the order of the job's sources,
// and the totals the progress display and the free-space check need.
//
// A tree's head is a Root item holding the source path as the job lists it. Its only child
// is the source item itself (empty name, File or Folder); below it every item holds just
// its own name segment: a folder's entries by name, a file's streams (":s:$DATA"), and for a
// move the DeleteFile / RemoveFolder markers (empty names) after whatever depends on the
// source. A pre-order walk therefore meets a folder before its contents and a marker only
// after everything it must wait for.
//
// The trees are built on one thread before the copy starts and keep their shape until the
// job ends; afterwards only item flags change (atomically, from the reader and the writer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "CopyItemData.h"
#include "tree.h"

namespace Marlin::Sluice {

using CopyItemTree = tree<CopyItemData>;

class CopyItemsData {
public:
    CopyItemsData() = default;
    CopyItemsData(const CopyItemsData&) = default;
    CopyItemsData(CopyItemsData&&) noexcept = default;
    CopyItemsData& operator=(const CopyItemsData&) = default;
    CopyItemsData& operator=(CopyItemsData&&) noexcept = default;
    virtual ~CopyItemsData() = default;

    // Starts the tree of one more source. Counters do not change.
    void AddRoot(const std::wstring& sourcePath);

    // Places an item, given with its full path, into the last tree and counts it. Items must
    // come in pre-order with paths that extend the head's path. An item that cannot be
    // placed is refused with false and changes nothing: no tree yet, a kind that is not an
    // item (None, Root), a path that does not lie below the head's path, a parent segment
    // that is not in the tree, a second source item, an entry or marker before the source
    // item, or an entry without a name. placed, when given, receives the item's node.
    bool AddItem(CopyItemData item, CopyItemTree::iterator* placed = nullptr);

    size_t TreeCount() const { return trees_.size(); }
    CopyItemTree& Tree(size_t index) { return trees_.at(index); }
    const CopyItemTree& Tree(size_t index) const { return trees_.at(index); }
    const std::vector<CopyItemTree>& Trees() const { return trees_; }
    void ReserveTrees(size_t count) { trees_.reserve(count); }
    // For a receiver that rebuilds trees node by node and sets the counters itself.
    void AppendTree(CopyItemTree tree) { trees_.push_back(std::move(tree)); }
    // Drops every tree and zeroes the counters.
    void Clear();

    // The full path of a node: base, then the names from below the head down to the node,
    // folders joined with a backslash and a stream name right after its file. Markers have
    // no name, so theirs is the path of their file or folder. The source side passes the
    // head's path (SourcePath does), the destination side the root's destination name.
    static std::wstring FullPath(const CopyItemTree::const_iterator_base& node, const std::wstring& base);
    static std::wstring SourcePath(const CopyItemTree::const_iterator_base& node);

    // Adds bits to the node and every node below it, atomically per item.
    static void AddFlagsToSubtree(const CopyItemTree::iterator_base& node, CopyItemFlags bits);

    int64_t totalBytes = 0;     // sum of every item's size
    int64_t weightedBytes = 0;  // files and streams; an empty one weighs 512 so it shows progress
    int64_t largestSize = 0;
    int64_t itemCount = 0;      // heads are not items
    int64_t folderCount = 0;
    int64_t fileCount = 0;
    int64_t streamCount = 0;
    int64_t removeFolderCount = 0;
    int64_t deleteFileCount = 0;

private:
    std::vector<CopyItemTree> trees_;
};

}  // namespace Marlin::Sluice
