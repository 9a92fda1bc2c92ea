// The positioned reads and writes of file data: the only place where the reader and the
// writer hand a data request to the platform.
//
// Every request names its own file offset: the file pointer is moved there first, then
// one plain ReadFile or WriteFile moves the chunk. A request that failed therefore leaves
// nothing behind to undo: repeating the same request is the retry.
//
// No OVERLAPPED is passed, although the handles are synchronous and it would save the
// seek: on Wine a request that carries one takes several times as long as the plain
// request (five times for 64 KiB chunks of a file in the page cache, which made a copy of
// a large file twice as slow), while moving the file pointer stays inside the process on
// both systems.
//
// The reader and the writer use the system instance unless they are handed another one;
// a derived class sees every request with its size and offset, which is how the tests
// check that unbuffered transfers stay aligned and how they make one request fail. It
// also answers for the destination volume's largest file, which lets a test stand in for
// a FAT32 volume (Wine has none).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "UniqueHandle.h"

namespace Marlin::Sluice {

class CopyItemTransfer {
public:
    CopyItemTransfer() = default;
    virtual ~CopyItemTransfer();

    CopyItemTransfer(const CopyItemTransfer&) = delete;
    CopyItemTransfer& operator=(const CopyItemTransfer&) = delete;

    // Both return what ReadFile and WriteFile return; on failure GetLastError tells why.
    // A read that starts at or beyond the end of the file fails with ERROR_HANDLE_EOF.
    virtual BOOL Read(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& transferred);
    virtual BOOL Write(HANDLE file, uint64_t offset, const void* buffer, DWORD size, DWORD& transferred);
    // Puts what was written to the file on its device (FlushFileBuffers).
    virtual BOOL Flush(HANDLE file);
    // Closes the file, saying whether the close worked: on some volumes (network shares
    // above all) the last of the data is written only then, and a failure means the file is
    // not complete. A failed close keeps the handle held, so a later close tries again.
    virtual BOOL Close(Marlin::FileHandle& file);

    // Whether the volume of destination takes a file of size bytes. FAT volumes end a file
    // at 4 GiB - 1 bytes; every other file system takes far more than a copy can bring.
    // The volume is only asked about sizes beyond that limit.
    virtual bool VolumeTakes(const std::wstring& destination, uint64_t size);

    // The instance that calls the platform directly; shared, stateless.
    static CopyItemTransfer& System();
};

}  // namespace Marlin::Sluice
