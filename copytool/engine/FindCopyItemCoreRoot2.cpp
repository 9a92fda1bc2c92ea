#include "FindCopyItemCoreRoot2.h"

#include <utility>

#include "EnumerationPaths.h"
#include "Paths.h"
#include "ShellLibraryFunctions.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

FindCopyItemCoreRoot2::FindCopyItemCoreRoot2(std::wstring source, bool move) : path_(std::move(source)), move_(move) {}

FindCopyItemCoreRoot2::~FindCopyItemCoreRoot2() = default;

bool FindCopyItemCoreRoot2::First() {
    // The same normalisation the source's tree head went through, so this changes nothing
    // for a source that came through EnumerateSources.
    path_ = NormalizeSourcePath(path_);
    const std::wstring longPath = ToLongPath(path_);
    if (GetFileAttributesW(longPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_SUCCESS) throw WindowsFileException(error, path_);
    }

    containerRoot_ = ShellPathIsUNCServerShare(longPath.c_str()) || IsDriveRoot(path_);
    if (containerRoot_) {
        item_ = CopyItemData(path_, 0, CopyItemKind::Folder);
    } else {
        if (!find_.FindFile(path_)) return hasItem_ = false;
        find_.FindNextFile();
        item_ = CopyItemData(path_, find_.GetSize(), find_.IsDirectory() ? CopyItemKind::Folder : CopyItemKind::File);
        find_.Close();
    }
    return hasItem_ = true;
}

bool FindCopyItemCoreRoot2::Next(CopyItemData& item) {
    item = item_;
    if (item_.kind == CopyItemKind::File && move_) {
        item_ = CopyItemData(item_.path, 0, CopyItemKind::DeleteFile);
        return hasItem_ = true;
    }
    item_ = CopyItemData();
    return hasItem_ = false;
}

}  // namespace Marlin::Sluice
