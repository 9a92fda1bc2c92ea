// What the Explorer does on a right-drag drop, with the platform's own objects: the shell's
// data object of the dropped files (CF_HDROP among its formats), the folder dropped on as
// an ID list, the drop menu with the Explorer's own entries, and the handler created from
// a Quaydrop.dll file through its class factory.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace droptest {

// How the Explorer's own copy and move entries are known in its drop menu.
enum class Numbering {
    CommandIds,  // command IDs 1 (copy) and 2 (move)
    ItemData,    // other IDs, with the item data 0x80808080 (copy) and 0x80808081 (move)
};

// The Explorer's drop menu: its copy and move entries (each when asked for), "create a
// shortcut here", a separator and "cancel"; defaultEntry is 1 (copy), 2 (move) or 0.
Marlin::MenuHandle ExplorerDropMenu(bool copy, bool move, int defaultEntry, Numbering numbering);

// The menu as lines: "text" with " #id" and " (default)", or "---" for a separator.
std::vector<std::string> MenuLines(HMENU menu);

// The shell's data object for files of one folder, as a drag from that folder gives it.
Marlin::ComPointer<IDataObject> ShellDataObject(const std::vector<std::wstring>& files);
// A data object holding CF_HDROP alone, made from the paths as another program makes it
// (a DROPFILES block): for paths deeper than the shell's folders can be parsed.
Marlin::ComPointer<IDataObject> DropFilesDataObject(const std::vector<std::wstring>& files);
// A folder's ID list (a failed test when the shell cannot make it); a special folder's,
// for one without a file-system path.
Marlin::CoTaskMemory<ITEMIDLIST> FolderIdList(const std::wstring& path);
// The same, empty when the shell cannot make it.
Marlin::CoTaskMemory<ITEMIDLIST> TryFolderIdList(const std::wstring& path);
Marlin::CoTaskMemory<ITEMIDLIST> SpecialFolderIdList(int csidl);

// Quaydrop.dll loaded from a file, and drop handlers made by its class factory.
class HandlerModule {
public:
    explicit HandlerModule(const std::wstring& dll);
    // A new handler, asked for its IUnknown.
    Marlin::ComPointer<IUnknown> Create() const;
    HMODULE Module() const { return module_.get(); }

private:
    Marlin::ModuleHandle module_;
    Marlin::ComPointer<IClassFactory> factory_;
};

template <typename Interface>
Marlin::ComPointer<Interface> Query(IUnknown* object) {
    Marlin::ComPointer<Interface> out;
    if (object) object->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(out.put()));
    return out;
}

// The first command ID the drop host gives the handler; its entries' offsets count from it.
constexpr UINT kFirstCommand = 100;

// One handler as the Explorer holds it during a drop.
struct Handler {
    Marlin::ComPointer<IUnknown> object;
    Marlin::ComPointer<IShellExtInit> init;
    Marlin::ComPointer<IContextMenu> menu;

    explicit Handler(const HandlerModule& module);
    // The drop as the Explorer makes it: Initialize with the files and the folder, then
    // the menu, which must gain both entries and the separator. Files deeper than the
    // shell parses come as another program's CF_HDROP block.
    void Drop(const std::vector<std::wstring>& files, const std::wstring& folder);
    // InvokeCommand with the verb given (an offset through MAKEINTRESOURCEA, or a string).
    HRESULT Invoke(const char* verb);
};

}  // namespace droptest
