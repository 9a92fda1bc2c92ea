// The handler's two entries in the Explorer's drop menu. They go above the Explorer's own
// copy and move entries, which are recognised by their command IDs (1 and 2) or, in menus
// that number them otherwise, by their item data; each of ours appears only when the
// Explorer offers the same operation, and ours takes over the default only where the
// Explorer's own entry of that kind is the default (for a move, only across drives, so a
// move within one drive stays the Explorer's fast rename).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace Marlin {

class DropMenu {
public:
    // The item data by which the Explorer's copy and move entries are known.
    static constexpr ULONG_PTR kCopyItemData = 0x80808080;
    static constexpr ULONG_PTR kMoveItemData = 0x80808081;

    // Whether the dropped items count as on another drive than the folder dropped on: a
    // target that does not begin with a letter always does.
    static bool OnAnotherDrive(const std::vector<std::wstring>& sources, const std::wstring& target);

    // Inserts the entries at index with the command IDs firstId (copy) and firstId + 1
    // (move), then a separator, and sets the default. IDs beyond lastId are not used: an
    // entry whose ID would pass it is left out. Returns the number of items inserted.
    static UINT Insert(HMENU menu, UINT index, UINT firstId, UINT lastId, const std::wstring& copyText,
                       const std::wstring& moveText, bool anotherDrive);
};

}  // namespace Marlin
