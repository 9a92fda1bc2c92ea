// Turns one source file (or one stream of it) into records of the run's buffer queue:
// first a header record carrying the file's BY_HANDLE_FILE_INFORMATION, then data records
// in increasing offset order, one per ReadNext. Lives on the reader thread; the writer
// thread takes the records apart again (CopyItemWriter).
//
// The pool being full is not an error: Open and ReadNext then report mustWait and change
// nothing, and the caller lets the writer free buffers first. Platform failures throw
// WindowsFileException with the source path; the reader then stays where it was, so
// calling the same operation again is the retry.
//
// With a non-zero pool alignment the source is read unbuffered, so every request is a
// whole multiple of the alignment at an offset that is one; the record keeps the number of
// bytes that belong to the file.
#pragma once

#include <cstdint>
#include <string>

#include "BufferSpan.h"
#include "UniqueHandle.h"
#include "FileInformationQuery.h"
#include "ICopyBufferManager.h"

namespace Marlin::Sluice {

class CopyItemTransfer;

class CopyItemReader {
public:
    // Length of the header record: the platform's BY_HANDLE_FILE_INFORMATION.
    static constexpr uint64_t HeaderLength = 52;

    CopyItemReader();
    virtual ~CopyItemReader();

    CopyItemReader(const CopyItemReader&) = delete;
    CopyItemReader& operator=(const CopyItemReader&) = delete;

    // Returns 1. The manager is borrowed until Uninitialize. A null manager or a chunk
    // size of 0 throws SluiceException InconsistentJob (1).
    virtual int32_t Initialize(ICopyBufferManager* manager, uint64_t readChunkSize);
    virtual void Uninitialize();
    // Opens path and queues its header record under headerPath (data records carry path),
    // every record keyed with item (see FileBufferQueueData). With checkEncryption, an
    // encrypted source throws SluiceExceptionEncrypted before anything is queued.
    virtual void Open(const std::wstring& path, const std::wstring& headerPath, bool checkEncryption,
                      bool& mustWait, FileBufferQueueData::ItemKey item = nullptr);
    // Reads and queues the next chunk. queued is false when there was nothing left or no
    // room (mustWait). A source that ends before the size seen at Open throws
    // WindowsFileException ERROR_HANDLE_EOF: it changed while it was copied.
    virtual void ReadNext(bool& queued, bool& mustWait);
    virtual void Close();
    // Drops what was queued for the open file, then closes it.
    virtual void Abort();

    bool IsOpen() const { return file_.valid(); }
    const std::wstring& GetOpenPath() const { return openPath_; }
    // The path in the header record: the algorithm's way of telling which item is open.
    const std::wstring& GetCurrentPath() const { return currentPath_; }
    FileBufferQueueData::ItemKey GetItem() const { return item_; }
    uint64_t GetFileSize() const { return fileSize_; }
    uint64_t GetBytesRead() const { return bytesRead_; }

    // Where data requests go; null restores the system's. Borrowed, not owned.
    void SetTransfer(CopyItemTransfer* transfer);

protected:
    // Takes a buffer for the next chunk from the pool; null when there is no room.
    virtual void* AllocateReadBuffer(BufferSpan& span);
    // Fills span from the file at the bytes read so far and returns how many bytes of it
    // belong to the file. On failure the buffer is given back before the exception leaves.
    virtual uint64_t ReadChunk(const BufferSpan& span);
    virtual void QueueData(const BufferSpan& span, uint64_t length);

private:
    ICopyBufferManager* manager_ = nullptr;
    uint64_t readChunkSize_ = 0;
    std::wstring openPath_;
    std::wstring currentPath_;
    FileBufferQueueData::ItemKey item_ = nullptr;
    Marlin::FileHandle file_;
    uint64_t fileSize_ = 0;
    uint64_t bytesRead_ = 0;
    CopyItemTransfer* transfer_;
    // The header's file information; remembers volume serial numbers for the whole run.
    FileInformationQuery information_;
};

}  // namespace Marlin::Sluice
