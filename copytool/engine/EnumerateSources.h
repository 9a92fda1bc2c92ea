// Lists every source of a job into its own tree of items, in the order of the sources.
#pragma once

#include <string>
#include <vector>

#include "CopyItemsData.h"
#include "FindCopyItem.h"
#include "IBackupStream.h"

namespace Marlin::Sluice {

// Each source is normalised (NormalizeSourcePath: absolute, long names, no trailing
// backslash but on a drive root) before it heads its tree, so relative sources, trailing
// backslashes and 8.3 elements give trees whose items all lie below the head. Named streams
// are listed only when the source's and the destination's volumes both support them (so
// that not every file is opened for nothing). Returns false as soon as a source cannot be
// listed (later sources are not tried; the trees added so far stay); the job then ends with
// SluiceException::EnumerationFailed. A source or folder that is there but cannot be listed
// is such a failure too, unless calls has a question to ask about it (FindCopyItem).
bool EnumerateSources(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
                      CopyItemsData& items);

// The same with the streams read through open instead of the platform's backup interface.
bool EnumerateSources(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
                      CopyItemsData& items, const NTFSDataStream::BackupStreamOpener& open);

// The same with the walk's platform calls and its listing question given.
bool EnumerateSources(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
                      CopyItemsData& items, const FindCopyItem::Calls& calls);

}  // namespace Marlin::Sluice
