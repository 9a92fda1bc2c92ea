// One level of the enumeration's depth-first walk: the source itself, one folder's
// entries, or one file's named streams. FindCopyItem keeps a stack of them.
#pragma once

#include <functional>
#include <string>

#include "CopyItemData.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

class IFindCopyItemCore {
public:
    // A search that could not list what it was asked to (the folder or the source named by
    // path): unlike a source that does not exist, the item is there and its contents are
    // not known, so a job must not take it for empty.
    class ListingFailure : public Marlin::WindowsFileException {
    public:
        using Marlin::WindowsFileException::WindowsFileException;
    };
    // Whether an entry of this level's folder was handed out before (its name, as listed).
    using AlreadyListed = std::function<bool(const std::wstring& name)>;

    virtual ~IFindCopyItemCore() = default;

    // Prepares the first item; false when this level has none. Throws ListingFailure.
    virtual bool First() = 0;
    // Hands the prepared item out (with its full path) and prepares the following one;
    // false when the item handed out was this level's last. Throws ListingFailure, handing
    // nothing out, when the search broke off after the last item handed out.
    virtual bool Next(CopyItemData& item) = 0;
    // After a ListingFailure: searches again and prepares the first entry that listed does
    // not know; false when nothing is left. Throws ListingFailure.
    virtual bool Resume(const AlreadyListed& listed) {
        static_cast<void>(listed);
        return First();
    }
};

}  // namespace Marlin::Sluice
