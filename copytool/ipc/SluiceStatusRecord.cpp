#include "SluiceStatusRecord.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace Marlin {

using Sluice::CopyItemData;
using Sluice::CopyItemKind;
using Sluice::CopyItemsData;
using Sluice::CopyItemTree;
using Sluice::SluiceStatusItemInfo;

namespace {

// index, parent index, path length, size, kind, flags: the least a node takes.
constexpr size_t kMinNodeSize = 8 + 8 + 8 + 8 + 4 + 4;
// A tree of no nodes is its count alone.
constexpr size_t kMinTreeSize = 8;

bool IsKnownKind(int32_t kind) {
    return kind >= static_cast<int32_t>(CopyItemKind::None) && kind <= static_cast<int32_t>(CopyItemKind::RemoveFolder);
}

}  // namespace

void SluiceStatusRecord::PutTree(CDataConverter& out, const CopyItemTree& tree) {
    out.PutCount(static_cast<uint64_t>(tree.size()));
    // In pre-order a node's parent is the latest node met one level up, so the parents'
    // indices are a stack by depth rather than a map of every node.
    std::vector<int64_t> latestAtDepth;
    int64_t index = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it, ++index) {
        const size_t depth = static_cast<size_t>(it.node()->depth);
        const int64_t parent = depth == 0 || depth > latestAtDepth.size() ? -1 : latestAtDepth[depth - 1];
        latestAtDepth.resize(depth);
        latestAtDepth.push_back(index);
        out.Put(index);
        out.Put(parent);
        out.Put(std::wstring_view(it->path));
        out.Put(it->size);
        out.Put(static_cast<int32_t>(it->kind));
        out.Put(it->Flags());
    }
}

void SluiceStatusRecord::PutItems(CDataConverter& out, const CopyItemsData& items) {
    out.PutList(items.Trees(), [](CDataConverter& o, const CopyItemTree& tree) { PutTree(o, tree); });
    for (int64_t counter : {items.totalBytes, items.weightedBytes, items.largestSize, items.itemCount,
                            items.folderCount, items.fileCount, items.streamCount, items.removeFolderCount,
                            items.deleteFileCount})
        out.Put(counter);
}

void SluiceStatusRecord::PutCursor(CDataConverter& out, const CopyItemsData& items, const Cursor& cursor) {
    int64_t treeIndex = -1;
    int64_t nodeIndex = -1;
    if (cursor.tree < items.TreeCount()) {
        treeIndex = static_cast<int64_t>(cursor.tree);
        const CopyItemTree& tree = items.Tree(cursor.tree);
        nodeIndex = 0;
        for (auto it = tree.begin(); it != tree.end() && it.node() != cursor.node.node(); ++it) ++nodeIndex;
    }
    out.Put(treeIndex);
    out.Put(nodeIndex);
    out.Put(cursor.state);
    out.Put(cursor.phase);
    out.Put(cursor.itemsDone);
    out.Put(cursor.bytesDone);
    out.Put(cursor.weightedBytesDone);
    out.Put(std::wstring_view(cursor.destinationFolder));
    out.Put(std::wstring_view(cursor.rootDestinationPath));
}

void SluiceStatusRecord::Put(CDataConverter& out, int32_t foldersFirst, int32_t encryptionSupported,
                             const CopyItemsData& items, const Cursor& readCursor, const Cursor& writeCursor) {
    out.Put(foldersFirst);
    out.Put(encryptionSupported);
    PutItems(out, items);
    PutCursor(out, items, readCursor);
    PutCursor(out, items, writeCursor);
}

int SluiceStatusRecord::GetTree(CDataParser& in, CopyItemTree& tree) {
    uint64_t count = 0;
    if (!in.GetCount(count, kMinNodeSize)) return 0;
    // Bounded by the bytes left, so reserving is no bigger than the message.
    std::unordered_map<int64_t, CopyItemTree::iterator> byIndex;
    byIndex.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        int64_t index = 0;
        int64_t parent = 0;
        CopyItemData item;
        int32_t kind = 0;
        int32_t flags = 0;
        if (!in.Get(index) || !in.Get(parent) || !in.Get(item.path) || !in.Get(item.size) || !in.Get(kind) ||
            !in.Get(flags) || !IsKnownKind(kind))
            return 0;
        item.kind = static_cast<CopyItemKind>(kind);
        item.AddFlags(flags);
        CopyItemTree::iterator placed;
        if (i == 0) {
            placed = tree.set_head(std::move(item));
        } else if (parent == -1) {
            placed = tree.append_child(tree.begin(), std::move(item));
        } else {
            const auto found = byIndex.find(parent);
            if (found == byIndex.end()) return 0;
            placed = tree.append_child(found->second, std::move(item));
        }
        byIndex[index] = placed;
    }
    return 1;
}

int SluiceStatusRecord::GetItems(CDataParser& in, CopyItemsData& items) {
    uint64_t count = 0;
    if (!in.GetCount(count, kMinTreeSize)) return 0;
    // No reserve: a tree object is many times the 8 bytes that bound the count.
    for (uint64_t i = 0; i < count; ++i) {
        CopyItemTree tree;
        if (!GetTree(in, tree)) return 0;
        items.AppendTree(std::move(tree));
    }
    return in.Get(items.totalBytes) && in.Get(items.weightedBytes) && in.Get(items.largestSize) &&
           in.Get(items.itemCount) && in.Get(items.folderCount) && in.Get(items.fileCount) &&
           in.Get(items.streamCount) && in.Get(items.removeFolderCount) && in.Get(items.deleteFileCount);
}

int SluiceStatusRecord::GetCursor(CDataParser& in, CopyItemsData& items, Cursor& cursor) {
    int64_t treeIndex = 0;
    int64_t nodeIndex = 0;
    if (!in.Get(treeIndex) || !in.Get(nodeIndex) || !in.Get(cursor.state) || !in.Get(cursor.phase) ||
        !in.Get(cursor.itemsDone) || !in.Get(cursor.bytesDone) || !in.Get(cursor.weightedBytesDone) ||
        !in.Get(cursor.destinationFolder) || !in.Get(cursor.rootDestinationPath))
        return 0;
    if (cursor.state < SluiceStatusItemInfo::NotStarted || cursor.state > SluiceStatusItemInfo::Stopped) return 0;
    if (cursor.phase < SluiceStatusItemInfo::NoPhase || cursor.phase > SluiceStatusItemInfo::SinglePass) return 0;
    cursor.tree = SluiceStatusItemInfo::NoTree;
    cursor.node = CopyItemTree::iterator();
    // A walking cursor steps from item to item; one that holds no item would never move
    // again, and the copy thread that drives it would spin for ever.
    const bool walking = cursor.state == SluiceStatusItemInfo::Walking;
    if (treeIndex == -1) return walking ? 0 : 1;
    if (treeIndex < 0 || static_cast<uint64_t>(treeIndex) >= items.TreeCount()) return 0;
    cursor.tree = static_cast<size_t>(treeIndex);
    if (nodeIndex == -1) return walking ? 0 : 1;
    CopyItemTree& tree = items.Tree(cursor.tree);
    // Stops at the tree's end: a cursor that had passed its tree's last node.
    auto it = tree.begin();
    for (uint64_t step = 0; step < static_cast<uint64_t>(nodeIndex) && it != tree.end(); ++step) ++it;
    if (walking && it == tree.end()) return 0;
    cursor.node = it;
    return 1;
}

int SluiceStatusRecord::Get(CDataParser& in) {
    SluiceStatusRecord read;
    const int ok = in.GetRecord([&read](CDataParser& p) {
        return p.Get(read.foldersFirst) && p.Get(read.encryptionSupported) && GetItems(p, read.items) &&
               GetCursor(p, read.items, read.readCursor) && GetCursor(p, read.items, read.writeCursor);
    });
    if (!ok) return 0;
    // Moving the list of trees keeps every tree where it is, so the cursors stay valid.
    foldersFirst = read.foldersFirst;
    encryptionSupported = read.encryptionSupported;
    items = std::move(read.items);
    readCursor = std::move(read.readCursor);
    writeCursor = std::move(read.writeCursor);
    return 1;
}

}  // namespace Marlin
