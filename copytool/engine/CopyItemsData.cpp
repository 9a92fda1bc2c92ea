#include "CopyItemsData.h"

#include <algorithm>
#include <string_view>

namespace Marlin::Sluice {
namespace {

constexpr int64_t kEmptyItemWeight = 512;

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// File systems compare names without case; only ASCII is folded, as the platform's own
// upper-case table would agree on at least those.
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

bool IsMarker(CopyItemKind kind) { return kind == CopyItemKind::DeleteFile || kind == CopyItemKind::RemoveFolder; }

// Markers share their parent's path and have no name; heads and empty records are never
// the parent of an entry. None of them may capture a lookup.
bool CanHoldEntries(CopyItemKind kind) { return kind != CopyItemKind::None && kind != CopyItemKind::Root && !IsMarker(kind); }

// The first child named segment; an empty position when there is none.
CopyItemTree::iterator FindChild(CopyItemTree& t, const CopyItemTree::iterator& parent, std::wstring_view segment) {
    for (auto it = t.begin_children(parent); it != t.end_children(parent); ++it)
        if (CanHoldEntries(it->kind) && EqualsIgnoringAsciiCase(it->path, segment)) return CopyItemTree::iterator(it);
    return CopyItemTree::iterator();
}

}  // namespace

void CopyItemsData::AddRoot(const std::wstring& sourcePath) {
    trees_.emplace_back();
    trees_.back().set_head(CopyItemData(sourcePath, 0, CopyItemKind::Root));
}

bool CopyItemsData::AddItem(CopyItemData item, CopyItemTree::iterator* placed) {
    if (item.kind < CopyItemKind::File || item.kind > CopyItemKind::RemoveFolder) return false;
    if (trees_.empty() || trees_.back().empty()) return false;
    CopyItemTree& t = trees_.back();
    const CopyItemTree::iterator head = t.begin();

    // The item must lie at or below the source: its path starts with the head's path and
    // continues at a separator (a backslash, or a colon for a stream), unless the head is a
    // drive root whose own backslash already separates.
    const std::wstring& base = head->path;
    if (item.path.size() < base.size() || !EqualsIgnoringAsciiCase(std::wstring_view(item.path).substr(0, base.size()), base))
        return false;
    std::wstring_view relative = std::wstring_view(item.path).substr(base.size());
    if (!relative.empty() && !base.empty() && base.back() != L'\\' && relative.front() != L'\\' && relative.front() != L':')
        return false;

    const bool marker = IsMarker(item.kind);
    CopyItemTree::iterator current = FindChild(t, head, std::wstring_view());
    if (!current.node()) current = head;

    for (;;) {
        if (!relative.empty() && relative.front() == L'\\') relative.remove_prefix(1);
        size_t cut = relative.find(L'\\');
        if (cut == std::wstring_view::npos) {
            const size_t colon = relative.find(L':');
            if (colon != std::wstring_view::npos && colon != 0)
                cut = colon;  // "file:stream": descend into the file
            else if (relative.empty() || !marker)
                break;  // what remains is the item's own name
            else
                cut = relative.size();  // a marker's last segment names its file or folder
        }
        current = FindChild(t, current, relative.substr(0, cut));
        if (!current.node()) return false;
        relative.remove_prefix(cut);
    }

    // Only the source item sits directly below the head, and only it and the markers are
    // nameless; anything else means the items did not arrive in pre-order.
    const bool atHead = current == head;
    if (marker ? atHead : atHead != relative.empty()) return false;

    const int64_t size = item.size;
    const CopyItemKind kind = item.kind;
    item.path.assign(relative.begin(), relative.end());
    const CopyItemTree::iterator node = t.append_child(current, std::move(item));
    if (placed) *placed = node;

    ++itemCount;
    switch (kind) {
        case CopyItemKind::Folder: ++folderCount; break;
        case CopyItemKind::File: ++fileCount; break;
        case CopyItemKind::Stream: ++streamCount; break;
        case CopyItemKind::RemoveFolder: ++removeFolderCount; break;
        case CopyItemKind::DeleteFile: ++deleteFileCount; break;
        default: break;
    }
    totalBytes += size;
    if (kind == CopyItemKind::File || kind == CopyItemKind::Stream) weightedBytes += size == 0 ? kEmptyItemWeight : size;
    largestSize = std::max(largestSize, size);
    return true;
}

void CopyItemsData::Clear() { *this = CopyItemsData(); }

std::wstring CopyItemsData::FullPath(const CopyItemTree::const_iterator_base& node, const std::wstring& base) {
    // Named nodes from the node up to, not including, the head.
    std::vector<const CopyItemTree::node_type*> named;
    for (const CopyItemTree::node_type* n = node.node(); n && n->parent; n = n->parent)
        if (!n->data.path.empty()) named.push_back(n);
    if (named.empty()) return base;

    std::wstring result = base;
    const std::wstring& first = named.back()->data.path;
    if (!result.empty() && result.back() != L'\\' && first.front() != L':') result += L'\\';
    for (auto it = named.rbegin(); it != named.rend(); ++it) {
        if (it != named.rbegin()) {
            const CopyItemKind upper = (*(it - 1))->data.kind;
            if (upper == CopyItemKind::Folder || upper == CopyItemKind::RemoveFolder) result += L'\\';
        }
        result += (*it)->data.path;
    }
    return result;
}

std::wstring CopyItemsData::SourcePath(const CopyItemTree::const_iterator_base& node) {
    const CopyItemTree::node_type* top = node.node();
    if (!top) return std::wstring();
    while (top->parent) top = top->parent;
    return FullPath(node, top->data.path);
}

void CopyItemsData::AddFlagsToSubtree(const CopyItemTree::iterator_base& node, CopyItemFlags bits) {
    if (!node.node()) return;
    CopyItemTree::iterator it(node);
    CopyItemTree::iterator stop = it;
    stop.skip_children();
    for (; it != stop; ++it) it->AddFlags(bits);
}

}  // namespace Marlin::Sluice
