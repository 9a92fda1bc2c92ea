// The backup stream of one open file, as BackupRead delivers it: stream headers, names and
// data one after the other. The stream list is parsed from this interface so that the
// parsing can be fed recorded bytes where the platform has no backup interface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Marlin::Sluice::NTFSDataStream {

class IBackupStream {
public:
    virtual ~IBackupStream() = default;

    // Reads up to size bytes of the stream in order; read says how many came (0 at the end).
    virtual bool Read(void* buffer, uint32_t size, uint32_t& read) = 0;
    // Skips size bytes of the current stream's data; false when fewer could be skipped.
    virtual bool Seek(uint64_t size) = 0;
};

// Opens the backup stream of a file (a path in its "\\?\" form); null when the file cannot
// be opened.
using BackupStreamOpener = std::function<std::unique_ptr<IBackupStream>(const std::wstring& path)>;

}  // namespace Marlin::Sluice::NTFSDataStream
