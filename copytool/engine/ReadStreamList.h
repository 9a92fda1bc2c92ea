// The data streams of a file, read from its backup stream: the unnamed default stream
// ("::$DATA") and every named stream (":name:$DATA"), with their sizes, in the order the
// file system keeps them.
#pragma once

#include <string>
#include <vector>

#include "IBackupStream.h"
#include "StreamData.h"

namespace Marlin::Sluice::NTFSDataStream {

#ifdef _WIN32
// Clears list and fills it from the file (a path in its "\\?\" form) through the platform's
// backup interface. Returns true when the list is not empty; a file that cannot be opened
// or read gives an empty list.
bool ReadStreamList(const std::wstring& file, std::vector<StreamData>& list);
#endif

// The same through a chosen opener of backup streams.
bool ReadStreamList(const std::wstring& file, std::vector<StreamData>& list, const BackupStreamOpener& open);

// Clears list and fills it from an open backup stream: header after header, each stream's
// data skipped, until the stream ends, a read or a skip fails, or a header or name is cut
// short (what was listed before stays). Returns true when the list is not empty.
bool ReadStreamList(IBackupStream& stream, std::vector<StreamData>& list);

}  // namespace Marlin::Sluice::NTFSDataStream
