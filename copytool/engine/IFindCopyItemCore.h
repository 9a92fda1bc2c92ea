// One level of the enumeration's depth-first walk: the source itself, one folder's
// entries, or one file's named streams. FindCopyItem keeps a stack of them.
#pragma once

#include "CopyItemData.h"

namespace Marlin::Sluice {

class IFindCopyItemCore {
public:
    virtual ~IFindCopyItemCore() = default;

    // Prepares the first item; false when this level has none.
    virtual bool First() = 0;
    // Hands the prepared item out (with its full path) and prepares the following one;
    // false when the item handed out was this level's last.
    virtual bool Next(CopyItemData& item) = 0;
};

}  // namespace Marlin::Sluice
