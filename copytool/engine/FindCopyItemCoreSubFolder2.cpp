#include "FindCopyItemCoreSubFolder2.h"

#include <utility>

#include "Paths.h"

namespace Marlin::Sluice {

FindCopyItemCoreSubFolder2::FindCopyItemCoreSubFolder2(std::wstring folder, bool move)
    : FindCopyItemCoreSubFolder2(std::move(folder), move, move) {}

FindCopyItemCoreSubFolder2::FindCopyItemCoreSubFolder2(std::wstring folder, bool move, bool removeSelf)
    : folder_(std::move(folder)), move_(move), removeSelf_(removeSelf) {}

FindCopyItemCoreSubFolder2::~FindCopyItemCoreSubFolder2() = default;

bool FindCopyItemCoreSubFolder2::First() {
    std::wstring pattern = folder_;
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    // Also an empty drive root, which lists not even "." and "..".
    if (!find_.FindFile(pattern)) return hasItem_ = false;
    hasFollowing_ = true;
    PrepareEntry();
    CheckMarker();
    return hasItem_;
}

bool FindCopyItemCoreSubFolder2::Next(CopyItemData& item) {
    item = item_;
    if (item_.kind == CopyItemKind::File && move_) {
        item_ = CopyItemData(item_.path, 0, CopyItemKind::DeleteFile);
        return hasItem_;
    }
    item_ = CopyItemData();
    hasItem_ = false;
    if (hasFollowing_) PrepareEntry();
    CheckMarker();
    return hasItem_;
}

void FindCopyItemCoreSubFolder2::PrepareEntry() {
    // "." and ".." are skipped wherever the search puts them, not only at its start.
    do {
        hasFollowing_ = find_.FindNextFile();
    } while (find_.IsDots() && find_.IsDirectory() && hasFollowing_);

    if (find_.IsDots() && find_.IsDirectory()) {
        item_ = CopyItemData();
        hasItem_ = false;
        return;
    }
    item_ = CopyItemData(find_.GetFilePath(), find_.GetSize(),
                         find_.IsDirectory() ? CopyItemKind::Folder : CopyItemKind::File);
    hasItem_ = true;
}

void FindCopyItemCoreSubFolder2::CheckMarker() {
    if (hasItem_ || !removeSelf_ || markerEmitted_ || IsDriveRoot(folder_)) return;
    item_ = CopyItemData(folder_, 0, CopyItemKind::RemoveFolder);
    markerEmitted_ = true;
    hasItem_ = true;
}

}  // namespace Marlin::Sluice
