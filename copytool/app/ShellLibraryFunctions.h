// The few exports of the shell's libraries (shlwapi, shell32, ole32) that the path and
// volume operations need, bound the first time each is called instead of imported.
//
// Importing any of these libraries makes the loader bring in the window manager's
// user32.dll with it, at every process start: on Wine that costs a process that never
// opens a window (the headless engine runner, the tests) tens of milliseconds, as much as
// copying hundreds of small files. Windows 8 and later, and Wine, implement the path
// functions in kernelbase.dll, which every process has loaded and to which shlwapi.dll
// only forwards; they are taken from there, and from shlwapi.dll, loaded on first use,
// on systems without them. The display-name functions load their library on first use;
// only a copy of a whole drive needs them. The copy tool itself has all of them loaded
// anyway. A loaded library stays loaded until the process ends.
//
// Each function behaves as the export it stands for; when even that cannot be found it
// gives the answer of a failed call (FALSE, GCT_INVALID, E_NOTIMPL).
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace Marlin {

BOOL ShellPathIsUNC(const wchar_t* path);             // PathIsUNCW
BOOL ShellPathIsUNCServerShare(const wchar_t* path);  // PathIsUNCServerShareW
UINT ShellPathGetCharType(wchar_t c);                 // PathGetCharTypeW
HRESULT ShellGetDesktopFolder(IShellFolder** folder);  // SHGetDesktopFolder
// shell32.dll, loaded on the first call; null when it cannot be loaded.
HMODULE Shell32Module();
HRESULT ShellStrRetToStr(STRRET* text, PCUITEMID_CHILD item, LPWSTR* out);  // StrRetToStrW
void ShellTaskMemFree(void* memory);                   // CoTaskMemFree

}  // namespace Marlin
