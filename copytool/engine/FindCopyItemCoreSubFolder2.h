// The entries of one folder ("." and ".." left out), each moved file followed by its
// DeleteFile marker, and for a move the folder's RemoveFolder marker after everything else.
// A folder that cannot be listed gives nothing, not even the marker, so a move never tries
// to remove a folder whose contents were never seen. A drive root is never removed. A link
// in a move is listed without the markers of its entries (they belong to its target) but
// with its own RemoveFolder marker, which removes the link alone.
#pragma once

#include <string>

#include "CFindEx.h"
#include "CopyItemData.h"
#include "IFindCopyItemCore.h"

namespace Marlin::Sluice {

class FindCopyItemCoreSubFolder2 : public IFindCopyItemCore {
public:
    // move: the entries' DeleteFile markers and the folder's own RemoveFolder marker;
    // removeSelf decides the latter on its own.
    FindCopyItemCoreSubFolder2(std::wstring folder, bool move);
    FindCopyItemCoreSubFolder2(std::wstring folder, bool move, bool removeSelf);
    ~FindCopyItemCoreSubFolder2() override;

    bool First() override;
    bool Next(CopyItemData& item) override;

private:
    void PrepareEntry();
    void CheckMarker();

    std::wstring folder_;
    CFindEx find_;
    CopyItemData item_;
    bool hasItem_ = false;
    bool move_;
    bool removeSelf_;
    bool markerEmitted_ = false;
    bool hasFollowing_ = false;  // the search holds an entry that has not been prepared yet
};

}  // namespace Marlin::Sluice
