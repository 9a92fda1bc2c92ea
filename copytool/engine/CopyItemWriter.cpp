#include "CopyItemWriter.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "CopyItemReader.h"
#include "CopyItemTransfer.h"
#include "Paths.h"
#include "ReadOnlyClearance.h"
#include "SluiceException.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

namespace {

// WriteFile takes a 32-bit length; see the reader's request limit.
constexpr uint64_t kLargestRequest = 0x40000000;

// The attribute bits CreateFileW can give a new file. The bits above them (cloud-file
// states such as recall-on-open, strictly-sequential) share their values with
// FILE_FLAG_* open flags, so passing them on would change how the copy is opened.
constexpr DWORD kCreatableAttributes = 0xFFFF & ~DWORD{FILE_ATTRIBUTE_READONLY};

uint64_t RoundUp(uint64_t size, uint32_t alignment) {
    if (alignment == 0 || size == 0) return size;
    return (size + alignment - 1) / alignment * alignment;
}

uint64_t RoundDown(uint64_t size, uint32_t alignment) {
    return alignment == 0 ? size : size / alignment * alignment;
}

LARGE_INTEGER Large(uint64_t value) {
    LARGE_INTEGER large;
    large.QuadPart = static_cast<LONGLONG>(value);
    return large;
}

}  // namespace

CopyItemWriter::CopyItemWriter() : transfer_(&CopyItemTransfer::System()) {}

CopyItemWriter::~CopyItemWriter() = default;

int32_t CopyItemWriter::Initialize(ICopyBufferManager* manager, uint64_t writeChunkSize,
                                   uint64_t noBufferingThreshold) {
    // A chunk of 0 would never move the write position: the copy would spin.
    if (!manager || writeChunkSize == 0) throw SluiceException(SluiceException::InconsistentJob);
    manager_ = manager;
    writeChunkSize_ = std::min(writeChunkSize, kLargestRequest);
    noBufferingThreshold_ = noBufferingThreshold;
    setFileInformationByHandle_ =
        DynamicFunctionObject<decltype(::SetFileInformationByHandle)>(L"Kernel32.dll", "SetFileInformationByHandle");
    return 1;
}

void CopyItemWriter::Uninitialize() {
    Close();
    manager_ = nullptr;
}

void CopyItemWriter::Open(const std::wstring& destination, const std::wstring& source, bool overwrite,
                          bool& mustWait, FileBufferQueueData::ItemKey item) {
    mustWait = false;
    if (!manager_) throw SluiceException(SluiceException::InconsistentJob);
    Close();

    FileBufferQueueData header;
    if (!manager_->PopFront(header)) {
        mustWait = true;
        return;
    }
    if (!header.IsHeader() || header.item != item || !PathEquals(header.path, source)) {
        // The reader has not opened this item yet; the record belongs to someone else.
        manager_->PushFront(header);
        mustWait = true;
        return;
    }
    if (header.length < CopyItemReader::HeaderLength) {
        manager_->PushFront(header);
        throw SluiceException(SluiceException::InconsistentJob);
    }

    BY_HANDLE_FILE_INFORMATION info;
    std::memcpy(&info, header.buffer, sizeof info);
    const uint32_t alignment = manager_->GetAlignment();
    const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    const uint64_t alignedSize = RoundUp(size, alignment);

    DWORD flags = (info.dwFileAttributes & kCreatableAttributes) | FILE_FLAG_SEQUENTIAL_SCAN;
    if (alignment != 0 && size >= noBufferingThreshold_) flags |= FILE_FLAG_NO_BUFFERING;
    // The padding of an unbuffered last write lengthens the file until Finish trims it. A
    // file just under a volume's largest size (a few bytes short of 4 GiB on FAT32) cannot
    // be lengthened so far: its tail is then written as it is, through a buffered handle.
    const bool unpaddedTail =
        (flags & FILE_FLAG_NO_BUFFERING) && alignedSize > size && !transfer_->VolumeTakes(destination, alignedSize);

    const uint64_t presized = unpaddedTail ? RoundDown(size, alignment) : alignedSize;
    // A file that is there already is not touched until its replacement is complete.
    DestinationReplacement replacement;
    Marlin::FileHandle file;
    // A named stream belongs to its file, which was replaced as a whole just before: it is
    // written in place.
    const bool stream = RemoveStreamName(destination).size() != destination.size();
    // A read-only file loses that attribute before a stream of it is written again.
    std::optional<ReadOnlyClearance> clearance;
    if (overwrite && stream) {
        clearance.emplace(ToLongPath(destination));
        file = CreateDestination(destination, CREATE_ALWAYS, flags, size, presized);
    } else if (overwrite) {
        replacement = DestinationReplacement(destination);
        // A name that something else uses already (a file left by a killed run) is passed over.
        for (int attempt = 0; attempt < 64 && !file; ++attempt) {
            file = CreateDestination(replacement.NextTemporaryPath(), CREATE_NEW, flags, size, presized);
            if (file) replacement.Created();
            else if (GetLastError() != ERROR_FILE_EXISTS) break;
        }
    } else {
        file = CreateDestination(destination, CREATE_NEW, flags, size, presized);
    }
    if (!file) {
        const DWORD error = GetLastError();
        manager_->PushFront(header);
        throw WindowsFileException(error, destination);
    }
    if (clearance) clearance->Keep();

    sourcePath_ = source;
    item_ = item;
    destinationPath_ = destination;
    writtenPath_ = replacement.Active() ? replacement.TemporaryPath() : destination;
    replacement_ = std::move(replacement);
    file_ = std::move(file);
    fileSize_ = size;
    alignedSize_ = alignedSize;
    unbuffered_ = (flags & FILE_FLAG_NO_BUFFERING) != 0;
    unpaddedTail_ = unpaddedTail;
    sourceInformation_ = info;
    bytesWritten_ = 0;
    manager_->Free(BufferSpan{header.buffer, header.length});
}

void CopyItemWriter::WriteNext(uint64_t& written, bool& mustWait) {
    written = 0;
    mustWait = false;
    if (!manager_ || !IsOpen()) throw SluiceException(SluiceException::InconsistentJob);
    if (!hasBuffer_ && !TakeNextBuffer()) {
        mustWait = true;
        return;
    }
    const uint32_t alignment = manager_->GetAlignment();
    while (hasBuffer_) {
        const uint64_t exact = std::min(remaining_, writeChunkSize_);
        uint64_t size = RoundUp(exact, alignment);
        if (unpaddedTail_ && bytesWritten_ + size > fileSize_) {
            PrepareUnpaddedTail();
            size = exact;
        }
        const uint64_t done = size == 0 ? 0 : WriteChunk(size);
        written += Advance(done);
    }
}

void CopyItemWriter::Finish() {
    if (!IsOpen()) throw SluiceException(SluiceException::InconsistentJob);
    // Finishing a file whose bytes are not all written would leave the pre-sized tail as
    // zeros in a copy that looks complete.
    if (bytesWritten_ != fileSize_) throw SluiceException(SluiceException::InconsistentJob);

    // A finish that failed part-way goes on where it stopped: the file is closed only once
    // everything before the close has worked.
    if (!closed_) {
        // The trim comes first: changing the end of a file stamps its modification time on
        // the way (on a handle reopened for it, and on file systems that do so for every
        // size change), which would undo a last-write time set before it.
        if (fileSize_ < alignedSize_) {
            if (setFileInformationByHandle_) {
                FILE_END_OF_FILE_INFO end;
                end.EndOfFile = Large(fileSize_);
                if (!setFileInformationByHandle_(file_.get(), FileEndOfFileInfo, &end, sizeof end))
                    throw WindowsFileException(GetLastError(), destinationPath_);
            } else {
                // Without the call, the end of file is set through a handle that is not
                // unbuffered, as the file pointer of an unbuffered one may only sit at sector
                // boundaries.
                CloseFile();
                Marlin::FileHandle file(CreateFileW(ToLongPath(writtenPath_).c_str(), GENERIC_WRITE, 0, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
                if (!file) throw WindowsFileException(GetLastError(), destinationPath_);
                if (!SetFilePointerEx(file.get(), Large(fileSize_), nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
                    throw WindowsFileException(GetLastError(), destinationPath_);
                file_ = std::move(file);
            }
        }
        if (!SetFileTime(file_.get(), nullptr, nullptr, &sourceInformation_.ftLastWriteTime))
            throw WindowsFileException(GetLastError(), destinationPath_);
        if (flushOnFinish_ && !transfer_->Flush(file_.get())) throw WindowsFileException(GetLastError(), destinationPath_);
        // The copy is complete only once it is closed: its source may be deleted next.
        if (!transfer_->Close(file_)) throw WindowsFileException(GetLastError(), destinationPath_);
        closed_ = true;
    }
    if (replacement_.Active() && !replacement_.Commit()) throw WindowsFileException(GetLastError(), destinationPath_);
}

void CopyItemWriter::Close() {
    CloseFile();
    ReleaseBuffer();
    replacement_.Discard();  // nothing once it was put in place
    sourcePath_.clear();
    item_ = nullptr;
    destinationPath_.clear();
    writtenPath_.clear();
    closed_ = false;
    fileSize_ = 0;
    alignedSize_ = 0;
    unbuffered_ = false;
    unpaddedTail_ = false;
    sourceInformation_ = BY_HANDLE_FILE_INFORMATION{};
    bytesWritten_ = 0;
}

void CopyItemWriter::Abort() {
    if (IsOpen()) {
        CloseFile();
        // A replacement goes without its old file ever having been touched.
        DeleteFileW(ToLongPath(writtenPath_).c_str());
        replacement_.Discard();
    }
    ReleaseBuffer();
    if (manager_ && !sourcePath_.empty()) manager_->RemoveFileBuffers(sourcePath_, item_);
    Close();
}

void CopyItemWriter::SetTransfer(CopyItemTransfer* transfer) {
    transfer_ = transfer ? transfer : &CopyItemTransfer::System();
}

Marlin::FileHandle CopyItemWriter::CreateDestination(const std::wstring& destination, DWORD disposition, DWORD flags,
                                                   uint64_t size, uint64_t alignedSize) {
    const std::wstring longPath = ToLongPath(destination);
    Marlin::FileHandle file(CreateFileW(longPath.c_str(), GENERIC_WRITE, 0, nullptr, disposition, flags, nullptr));
    if (!file || size == 0) return file;
    // A file that a single write request covers gets its whole size from that write in
    // one step: there is no fragmentation and no repeated extension to spare it, and
    // sizing it first would only cost another call (on Wine a round trip to the server,
    // a good part of what copying a small file takes).
    if (alignedSize <= writeChunkSize_) return file;

    if (setFileInformationByHandle_) {
        // Reserving the clusters is the better way; where the file system refuses it, a
        // set end of file also makes the space and later writes land inside the file.
        FILE_ALLOCATION_INFO allocation;
        allocation.AllocationSize = Large(size);
        if (setFileInformationByHandle_(file.get(), FileAllocationInfo, &allocation, sizeof allocation)) return file;
        FILE_END_OF_FILE_INFO end;
        end.EndOfFile = Large(size);
        if (setFileInformationByHandle_(file.get(), FileEndOfFileInfo, &end, sizeof end)) return file;
    } else {
        // An unbuffered handle's file pointer may only sit at sector boundaries.
        const uint64_t presize = (flags & FILE_FLAG_NO_BUFFERING) ? alignedSize : size;
        if (SetFilePointerEx(file.get(), Large(presize), nullptr, FILE_BEGIN) && SetEndOfFile(file.get()) &&
            SetFilePointerEx(file.get(), Large(0), nullptr, FILE_BEGIN))
            return file;
    }
    const DWORD error = GetLastError();
    file.reset();
    DeleteFileW(longPath.c_str());
    SetLastError(error);
    return Marlin::FileHandle();
}

bool CopyItemWriter::TakeNextBuffer() {
    FileBufferQueueData record;
    if (!manager_->PopFront(record)) return false;
    if (record.IsHeader() || static_cast<uint64_t>(record.offset) != bytesWritten_ || record.item != item_ ||
        !PathEquals(record.path, sourcePath_)) {
        manager_->PushFront(record);
        return false;
    }
    hasBuffer_ = true;
    buffer_ = BufferSpan{record.buffer, record.length};
    cursor_ = static_cast<const char*>(record.buffer);
    remaining_ = record.length;
    return true;
}

uint64_t CopyItemWriter::WriteChunk(uint64_t size) {
    DWORD done = 0;
    if (!transfer_->Write(file_.get(), bytesWritten_, cursor_, static_cast<DWORD>(size), done))
        throw WindowsFileException(GetLastError(), destinationPath_);
    // A write that reports success but takes less than asked is a failed write of the
    // whole chunk. Counting the part would move the next request off its boundary (an
    // unbuffered handle refuses it, a buffered one would take bytes of the wrong offset
    // from the record), and taking nothing would repeat the request for ever. Nothing is
    // counted, so the retry writes the whole chunk again at the same offset.
    if (done != size) throw WindowsFileException(ERROR_WRITE_FAULT, destinationPath_);
    return done;
}

uint64_t CopyItemWriter::Advance(uint64_t count) {
    count = std::min(count, fileSize_ - bytesWritten_);
    bytesWritten_ += count;
    // Once the file is complete, whatever is left of the buffer is padding (or bytes the
    // source gained after it was measured): none of it belongs to the copy.
    if (count < remaining_ && bytesWritten_ < fileSize_) {
        cursor_ += count;
        remaining_ -= count;
    } else {
        ReleaseBuffer();
    }
    return count;
}

void CopyItemWriter::PrepareUnpaddedTail() {
    if (unbuffered_) {
        // The unbuffered handle shares nothing, so it has to go before the file can be
        // opened again; a failed reopen leaves the writer without a handle, and the retry
        // opens once more.
        CloseFile();
        Marlin::FileHandle file(CreateFileW(ToLongPath(writtenPath_).c_str(), GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) throw WindowsFileException(GetLastError(), destinationPath_);
        file_ = std::move(file);
        unbuffered_ = false;
    }
    // Nothing beyond the file's end is written, so there is nothing to trim.
    alignedSize_ = fileSize_;
}

void CopyItemWriter::CloseFile() { file_.reset(); }

void CopyItemWriter::ReleaseBuffer() {
    if (!hasBuffer_) return;
    if (manager_) manager_->Free(buffer_);
    hasBuffer_ = false;
    buffer_ = BufferSpan{};
    cursor_ = nullptr;
    remaining_ = 0;
}

}  // namespace Marlin::Sluice
