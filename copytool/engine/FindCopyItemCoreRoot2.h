// The source itself: one File or Folder item, and for a moved file its DeleteFile marker.
// A drive root or a \\server\share root is a Folder without a search (it has no entry of
// its own to find).
#pragma once

#include <memory>
#include <string>

#include "CFindEx.h"
#include "CopyItemData.h"
#include "IFindCopyItemCore.h"

namespace Marlin::Sluice {

class FindCopyItemCoreRoot2 : public IFindCopyItemCore {
public:
    FindCopyItemCoreRoot2(std::wstring source, bool move, const SearchMaker& search = SearchMaker());
    ~FindCopyItemCoreRoot2() override;

    // Throws WindowsFileException (the error and the source) when the source cannot be
    // reached, ListingFailure when it exists but the search cannot find it.
    bool First() override;
    bool Next(CopyItemData& item) override;

private:
    std::wstring path_;
    std::unique_ptr<CFindEx> find_;
    CopyItemData item_;
    bool hasItem_ = false;
    bool move_;
    bool containerRoot_ = false;
};

}  // namespace Marlin::Sluice
