#include "DropMenu.h"

namespace Marlin {

namespace {

struct ExplorerEntry {
    bool found = false;
    UINT id = 0;          // its command ID
    bool isDefault = false;
};

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The Explorer's entry with command ID plainId, or failing that the one carrying data.
ExplorerEntry FindEntry(HMENU menu, UINT plainId, ULONG_PTR data) {
    ExplorerEntry byId, byData;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_DATA;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item)) continue;
        if (item.wID == plainId && !byId.found) byId = {true, item.wID, false};
        if (item.dwItemData == data && !byData.found) byData = {true, item.wID, false};
    }
    ExplorerEntry entry = byId.found ? byId : byData;
    const UINT current = GetMenuDefaultItem(menu, FALSE, 0);
    entry.isDefault = entry.found && current != static_cast<UINT>(-1) &&
                      ((byData.found && current == byData.id) || current == plainId);
    return entry;
}

bool InsertString(HMENU menu, UINT position, UINT id, const std::wstring& text) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    item.fType = MFT_STRING;
    item.fState = MFS_ENABLED;
    item.wID = id;
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());
    return InsertMenuItemW(menu, position, TRUE, &item) != FALSE;
}

}  // namespace

bool DropMenu::OnAnotherDrive(const std::vector<std::wstring>& sources, const std::wstring& target) {
    if (target.empty() || !IsAsciiLetter(target[0])) return true;
    const wchar_t drive = AsciiLower(target[0]);
    for (const std::wstring& source : sources) {
        if (source.empty() || AsciiLower(source[0]) != drive) return true;
    }
    return false;
}

UINT DropMenu::Insert(HMENU menu, UINT index, UINT firstId, UINT lastId, const std::wstring& copyText,
                      const std::wstring& moveText, bool anotherDrive) {
    if (firstId > lastId) return 0;
    const ExplorerEntry copy = FindEntry(menu, 1, kCopyItemData);
    const ExplorerEntry move = FindEntry(menu, 2, kMoveItemData);

    UINT count = 0;
    UINT position = index;
    bool hasDefault = false;
    UINT defaultPosition = 0;
    if (copy.found && InsertString(menu, position, firstId, copyText)) {
        ++count;
        if (copy.isDefault) {
            hasDefault = true;
            defaultPosition = position;
        }
        ++position;
    }
    if (move.found && lastId - firstId >= 1 && InsertString(menu, position, firstId + 1, moveText)) {
        ++count;
        if (move.isDefault && anotherDrive) {
            hasDefault = true;
            defaultPosition = position;
        }
        ++position;
    }
    if (count > 0) {
        MENUITEMINFOW separator{};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_STATE | MIIM_TYPE;
        separator.fType = MFT_SEPARATOR;
        separator.fState = MFS_DISABLED;
        if (InsertMenuItemW(menu, position, TRUE, &separator)) ++count;
    }
    if (hasDefault) SetMenuDefaultItem(menu, defaultPosition, TRUE);
    return count;
}

}  // namespace Marlin
