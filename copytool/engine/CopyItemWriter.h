// Turns the records that CopyItemReader queued for one source back into the destination
// file: Open takes the header record and creates the destination, already sized when
// more than one write request will fill it; each WriteNext writes one data record; Finish
// trims the padding of an unbuffered last write and gives the file the source's last-write
// time. Lives on the writer thread.
//
// A record that is not yet queued is not an error: Open and WriteNext then report
// mustWait and leave the queue as they found it. Platform failures throw
// WindowsFileException with the destination path; the writer keeps its file, position and
// held buffer, so calling the same operation again is the retry. Abort removes a
// destination that this writer created and did not complete.
//
// An existing destination (overwrite) is never opened for writing: the new file is written
// under a temporary name beside it and takes its place only when Finish has completed and
// closed it (DestinationReplacement). Until then the old file is untouched, and Abort only
// removes the temporary file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "BufferSpan.h"
#include "DestinationReplacement.h"
#include "DynamicFunctionObject.h"
#include "UniqueHandle.h"
#include "ICopyBufferManager.h"

namespace Marlin::Sluice {

class CopyItemTransfer;

class CopyItemWriter {
public:
    CopyItemWriter();
    virtual ~CopyItemWriter();

    CopyItemWriter(const CopyItemWriter&) = delete;
    CopyItemWriter& operator=(const CopyItemWriter&) = delete;

    // Returns 1. The manager is borrowed until Uninitialize. A null manager or a chunk
    // size of 0 throws SluiceException InconsistentJob (1). Destination files of at least
    // noBufferingThreshold bytes are written unbuffered when the pool has an alignment.
    virtual int32_t Initialize(ICopyBufferManager* manager, uint64_t writeChunkSize, uint64_t noBufferingThreshold);
    virtual void Uninitialize();
    // Takes the header record of source's item (path and key, see FileBufferQueueData) and
    // creates destination (replacing an existing file only with overwrite). When creation
    // fails the header goes back to the front of the queue before the exception leaves;
    // ERROR_FILE_EXISTS (80) means the destination exists.
    virtual void Open(const std::wstring& destination, const std::wstring& source, bool overwrite, bool& mustWait,
                      FileBufferQueueData::ItemKey item = nullptr);
    // Writes the next data record of the file; written is the number of file bytes it added.
    virtual void WriteNext(uint64_t& written, bool& mustWait);
    // Once every byte is written: trims the file to its size, sets the last-write time,
    // flushes it when asked to (SetFlushOnFinish), closes it checking the close, and puts a
    // replacement in the old file's place. Called again after a failure it goes on from
    // where it failed.
    virtual void Finish();
    // Whether Finish puts each file's data on the device before it closes it: for moves to
    // removable and network volumes, where the source goes once its copy is closed.
    void SetFlushOnFinish(bool flush) { flushOnFinish_ = flush; }
    // What the reader saw of the open file's source when it opened it (its header record).
    const BY_HANDLE_FILE_INFORMATION& GetSourceInformation() const { return sourceInformation_; }
    virtual void Close();
    // Deletes the destination when a file is open, drops the file's buffers, then closes.
    virtual void Abort();

    bool IsOpen() const { return !destinationPath_.empty(); }
    const std::wstring& GetSourcePath() const { return sourcePath_; }
    FileBufferQueueData::ItemKey GetItem() const { return item_; }
    const std::wstring& GetDestinationPath() const { return destinationPath_; }
    uint64_t GetFileSize() const { return fileSize_; }
    uint64_t GetBytesWritten() const { return bytesWritten_; }

    // Where data requests go; null restores the system's. Borrowed, not owned.
    void SetTransfer(CopyItemTransfer* transfer);

protected:
    // Creates the file and, when it takes more than one write request, sizes it before the
    // first write. Returns an invalid handle with the failing call's error as the last
    // error; a file it could not size is deleted again.
    virtual Marlin::FileHandle CreateDestination(const std::wstring& destination, DWORD disposition, DWORD flags,
                                               uint64_t size, uint64_t alignedSize);
    // Takes the record at bytes written from the front of the queue; false when it is not there.
    virtual bool TakeNextBuffer();
    // One request of size bytes from the cursor; returns size. A request the platform
    // takes only part of throws ERROR_WRITE_FAULT, counting nothing.
    virtual uint64_t WriteChunk(uint64_t size);
    // Counts written bytes (never the padding beyond the file's size) and gives the buffer
    // back once it is used up; returns the bytes counted.
    virtual uint64_t Advance(uint64_t count);
    virtual void CloseFile();
    // Puts the file on a buffered handle for a tail that is written without padding.
    void PrepareUnpaddedTail();

    // Looked up at Initialize; empty on systems without it (a derived class may empty it
    // to take the file-pointer way of sizing and trimming).
    DynamicFunctionObject<decltype(::SetFileInformationByHandle)> setFileInformationByHandle_;

private:
    void ReleaseBuffer();

    ICopyBufferManager* manager_ = nullptr;
    uint64_t writeChunkSize_ = 0;
    uint64_t noBufferingThreshold_ = 0;
    std::wstring sourcePath_;
    FileBufferQueueData::ItemKey item_ = nullptr;
    std::wstring destinationPath_;
    std::wstring writtenPath_;  // the destination, or the temporary file replacing it
    Marlin::FileHandle file_;
    uint64_t fileSize_ = 0;
    uint64_t alignedSize_ = 0;
    bool unbuffered_ = false;    // file_ was opened with FILE_FLAG_NO_BUFFERING
    bool unpaddedTail_ = false;  // the volume does not take the padded size: no padding
    BY_HANDLE_FILE_INFORMATION sourceInformation_{};
    bool hasBuffer_ = false;
    BufferSpan buffer_;
    const char* cursor_ = nullptr;
    uint64_t remaining_ = 0;
    uint64_t bytesWritten_ = 0;
    CopyItemTransfer* transfer_;
    DestinationReplacement replacement_;  // active while an existing destination is replaced
    bool flushOnFinish_ = false;
    bool closed_ = false;  // Finish has closed the complete file
};

}  // namespace Marlin::Sluice
