// Words and captions of the copy tool's windows, and the date-time text of file times.
#pragma once

#include <windows.h>

#include <string>

namespace Marlin {

// "移動" for a move, "コピー" for a copy.
std::wstring OperationWord(bool move, HMODULE module = nullptr);
// "ファイル" for a file, "フォルダー" for a folder.
std::wstring KindWord(bool isFile, HMODULE module = nullptr);
// Window caption naming the kind and the operation ("フォルダーの移動"). Empty when the
// string table cannot be read.
std::wstring Caption(bool move, bool isFile, HMODULE module = nullptr);

// A file time (UTC) as the user's local short date, a space and the local time without
// seconds, in the user's default locale ("2026/12/10 15:04"). Empty when the time has no
// local calendar form.
std::wstring DateTimeText(const FILETIME& utc);

}  // namespace Marlin
