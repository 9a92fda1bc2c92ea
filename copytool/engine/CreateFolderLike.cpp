#include "CreateFolderLike.h"

#include <windows.h>

#include "UniqueHandle.h"

namespace Marlin::Sluice {

bool CreateFolderLike(const std::wstring& source, const std::wstring& destination) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool haveSource = GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &data) != 0;
    if (!CreateDirectoryW(destination.c_str(), nullptr)) return false;
    // The folder exists now; whatever follows only polishes it, so none of it may turn
    // the creation into a failure (the caller would ask about a folder that is there).
    if (!haveSource) return true;

    // Only the bits SetFileAttributesW can set; with others (directory, encrypted,
    // compressed) some systems refuse the call and the hidden bit would be lost too.
    constexpr DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = data.dwFileAttributes & settable;
    SetFileAttributesW(destination.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED) EncryptFileW(destination.c_str());
    Marlin::FileHandle folder(CreateFileW(destination.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (folder) SetFileTime(folder.get(), nullptr, nullptr, &data.ftLastWriteTime);
    SetLastError(ERROR_SUCCESS);
    return true;
}

}  // namespace Marlin::Sluice
