#include "FindCopyItemCoreSubFolder2.h"

#include <utility>

#include "Paths.h"

namespace Marlin::Sluice {

FindCopyItemCoreSubFolder2::FindCopyItemCoreSubFolder2(std::wstring folder, bool move, const SearchMaker& search)
    : FindCopyItemCoreSubFolder2(std::move(folder), move, move, search) {}

FindCopyItemCoreSubFolder2::FindCopyItemCoreSubFolder2(std::wstring folder, bool move, bool removeSelf,
                                                       const SearchMaker& search)
    : folder_(std::move(folder)), find_(MakeSearch(search)), move_(move), removeSelf_(removeSelf) {}

FindCopyItemCoreSubFolder2::~FindCopyItemCoreSubFolder2() = default;

bool FindCopyItemCoreSubFolder2::First() {
    listed_ = nullptr;
    return Start();
}

bool FindCopyItemCoreSubFolder2::Resume(const AlreadyListed& listed) {
    listed_ = listed;
    return Start();
}

bool FindCopyItemCoreSubFolder2::Start() {
    item_ = CopyItemData();
    hasItem_ = false;
    hasFollowing_ = false;
    failure_ = ERROR_SUCCESS;
    std::wstring pattern = folder_;
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    if (!find_->FindFile(pattern)) {
        const DWORD error = GetLastError();
        // An empty drive root lists not even "." and ".."; any other folder lists at least
        // those, so its search failing means the folder could not be read.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            throw ListingFailure(error != ERROR_SUCCESS ? error : ERROR_READ_FAULT, folder_);
        return Settle();
    }
    hasFollowing_ = true;
    PrepareEntry();
    return Settle();
}

bool FindCopyItemCoreSubFolder2::Next(CopyItemData& item) {
    if (failure_ != ERROR_SUCCESS) throw ListingFailure(failure_, folder_);
    item = item_;
    if (item_.kind == CopyItemKind::File && move_) {
        item_ = CopyItemData(item_.path, 0, CopyItemKind::DeleteFile);
        return hasItem_;
    }
    item_ = CopyItemData();
    hasItem_ = false;
    if (hasFollowing_) PrepareEntry();
    return Settle();
}

void FindCopyItemCoreSubFolder2::PrepareEntry() {
    // "." and ".." are skipped wherever the search puts them, not only at its start, and
    // so are the entries a resumed listing handed out before.
    do {
        hasFollowing_ = find_->FindNextFile();
    } while (((find_->IsDots() && find_->IsDirectory()) || Listed()) && hasFollowing_);

    if ((find_->IsDots() && find_->IsDirectory()) || Listed()) {
        item_ = CopyItemData();
        hasItem_ = false;
        return;
    }
    item_ = CopyItemData(find_->GetFilePath(), find_->GetSize(),
                         find_->IsDirectory() ? CopyItemKind::Folder : CopyItemKind::File);
    hasItem_ = true;
}

bool FindCopyItemCoreSubFolder2::Settle() {
    if (!hasItem_ && find_->SearchError() != ERROR_SUCCESS) {
        failure_ = find_->SearchError();
        return true;
    }
    if (!hasItem_ && removeSelf_ && !markerEmitted_ && !IsDriveRoot(folder_)) {
        item_ = CopyItemData(folder_, 0, CopyItemKind::RemoveFolder);
        markerEmitted_ = true;
        hasItem_ = true;
    }
    return hasItem_;
}

bool FindCopyItemCoreSubFolder2::Listed() const { return listed_ && listed_(find_->GetFileName()); }

}  // namespace Marlin::Sluice
