#include "EnumerateSources.h"

#include "FindCopyItem.h"
#include "Paths.h"
#include "Volumes.h"

namespace Marlin::Sluice {

bool EnumerateSources(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
                      CopyItemsData& items) {
    return EnumerateSources(sources, destination, move, items, FindCopyItem::Calls{});
}

bool EnumerateSources(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
                      CopyItemsData& items, const NTFSDataStream::BackupStreamOpener& open) {
    return EnumerateSources(sources, destination, move, items, FindCopyItem::Calls{open, {}, {}});
}

bool EnumerateSources(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
                      CopyItemsData& items, const FindCopyItem::Calls& calls) {
    items.ReserveTrees(items.TreeCount() + sources.size());
    const bool destinationHasStreams = SupportsNamedStreams(destination);
    for (const std::wstring& given : sources) {
        const std::wstring source = NormalizeSourcePath(IsDriveRoot(given) ? given : RemoveTrailingBackslash(given));
        items.AddRoot(source);
        // The normalised form: a relative source's volume is that of the folder it resolves in.
        const bool streams = destinationHasStreams && SupportsNamedStreams(source);
        FindCopyItem find(calls);
        if (!find.Run(source, streams, move, items)) return false;
    }
    return true;
}

}  // namespace Marlin::Sluice
