#include "FindCopyItemCoreRoot2.h"

#include <utility>

#include "Paths.h"
#include "ShellLibraryFunctions.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

FindCopyItemCoreRoot2::FindCopyItemCoreRoot2(std::wstring source, bool move, const SearchMaker& search)
    : path_(std::move(source)), find_(MakeSearch(search)), move_(move) {}

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
        // The source is there (its attributes were read), so a search that does not find it
        // says nothing about its contents: taking it for nothing would end the job as a
        // success without having copied it.
        if (!find_->FindFile(path_)) {
            const DWORD error = GetLastError();
            hasItem_ = false;
            throw ListingFailure(error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND, path_);
        }
        find_->FindNextFile();
        item_ = CopyItemData(path_, find_->GetSize(), find_->IsDirectory() ? CopyItemKind::Folder : CopyItemKind::File);
        find_->Close();
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
