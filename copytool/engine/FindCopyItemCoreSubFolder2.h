// The entries of one folder ("." and ".." left out), each moved file followed by its
// DeleteFile marker, and for a move the folder's RemoveFolder marker after everything else.
// A drive root is never removed. A link in a move is listed without the markers of its
// entries (they belong to its target) but with its own RemoveFolder marker, which removes
// the link alone.
//
// A folder that cannot be listed, or whose search breaks off half way, throws
// ListingFailure instead of ending early: the folder's contents are then not known, and a
// job that took the part it saw for the whole would report success without copying the
// rest, and a move would go on to remove the folder. No marker comes before the listing
// is complete, so a folder whose contents were never all seen is never removed.
#pragma once

#include <memory>
#include <string>

#include "CFindEx.h"
#include "CopyItemData.h"
#include "IFindCopyItemCore.h"

namespace Marlin::Sluice {

class FindCopyItemCoreSubFolder2 : public IFindCopyItemCore {
public:
    // move: the entries' DeleteFile markers and the folder's own RemoveFolder marker;
    // removeSelf decides the latter on its own.
    FindCopyItemCoreSubFolder2(std::wstring folder, bool move, const SearchMaker& search = SearchMaker());
    FindCopyItemCoreSubFolder2(std::wstring folder, bool move, bool removeSelf, const SearchMaker& search);
    ~FindCopyItemCoreSubFolder2() override;

    bool First() override;
    bool Next(CopyItemData& item) override;
    // Lists the folder from its start again, passing over the entries listed knows.
    bool Resume(const AlreadyListed& listed) override;

private:
    bool Start();
    void PrepareEntry();
    // After an entry was prepared (or none was left): a broken-off search becomes the
    // failure that the next call reports; otherwise the marker check. Returns whether the
    // level has anything more to say.
    bool Settle();
    bool Listed() const;

    std::wstring folder_;
    std::unique_ptr<CFindEx> find_;
    CopyItemData item_;
    AlreadyListed listed_;
    bool hasItem_ = false;
    bool move_;
    bool removeSelf_;
    bool markerEmitted_ = false;
    bool hasFollowing_ = false;  // the search holds an entry that has not been prepared yet
    DWORD failure_ = ERROR_SUCCESS;  // the search broke off with this error; Next reports it
};

}  // namespace Marlin::Sluice
