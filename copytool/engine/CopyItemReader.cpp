#include "CopyItemReader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "CopyItemTransfer.h"
#include "Paths.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

static_assert(sizeof(BY_HANDLE_FILE_INFORMATION) == CopyItemReader::HeaderLength,
              "the header record is the platform's file information, byte for byte");

namespace {

// ReadFile takes a 32-bit length; a larger chunk size is read in pieces of this size,
// which is a multiple of every sector size there is.
constexpr uint64_t kLargestRequest = 0x40000000;

uint64_t RoundUp(uint64_t size, uint32_t alignment) {
    if (alignment == 0 || size == 0) return size;
    return (size + alignment - 1) / alignment * alignment;
}

uint64_t RoundDown(uint64_t size, uint32_t alignment) {
    return alignment == 0 ? size : size / alignment * alignment;
}

}  // namespace

CopyItemReader::CopyItemReader() : transfer_(&CopyItemTransfer::System()) {}

CopyItemReader::~CopyItemReader() = default;

int32_t CopyItemReader::Initialize(ICopyBufferManager* manager, uint64_t readChunkSize) {
    // A chunk of 0 would never move the read position: the copy would spin.
    if (!manager || readChunkSize == 0) throw SluiceException(SluiceException::InconsistentJob);
    manager_ = manager;
    readChunkSize_ = std::min(readChunkSize, kLargestRequest);
    return 1;
}

void CopyItemReader::Uninitialize() {
    Close();
    manager_ = nullptr;
}

void CopyItemReader::Open(const std::wstring& path, const std::wstring& headerPath, bool checkEncryption,
                          bool& mustWait, FileBufferQueueData::ItemKey item) {
    mustWait = false;
    if (!manager_) throw SluiceException(SluiceException::InconsistentJob);
    Close();

    BufferSpan header;
    if (!manager_->Allocate(HeaderLength, header)) {
        mustWait = true;
        return;
    }
    // Every way out below either queues the header or gives its buffer back.
    auto fail = [&](DWORD error) {
        manager_->Free(header);
        throw WindowsFileException(error, path);
    };

    const DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN | (manager_->GetAlignment() != 0 ? FILE_FLAG_NO_BUFFERING : 0);
    Marlin::FileHandle file(CreateFileW(ToLongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, flags, nullptr));
    if (!file) fail(GetLastError());

    // Filled on the stack: with alignment 0 a pool buffer may sit at any byte address.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!information_.Query(file.get(), path, info)) fail(GetLastError());

    if (checkEncryption && (info.dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED)) {
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        attributes.dwFileAttributes = info.dwFileAttributes;
        attributes.ftCreationTime = info.ftCreationTime;
        attributes.ftLastAccessTime = info.ftLastAccessTime;
        attributes.ftLastWriteTime = info.ftLastWriteTime;
        attributes.nFileSizeHigh = info.nFileSizeHigh;
        attributes.nFileSizeLow = info.nFileSizeLow;
        manager_->Free(header);
        throw SluiceExceptionEncrypted(path, attributes);
    }
    std::memcpy(header.address, &info, sizeof info);

    std::wstring openPath = path;
    std::wstring currentPath = headerPath;
    try {
        manager_->PushBack(FileBufferQueueData(currentPath, FileBufferQueueData::HeaderOffset, header.address,
                                               HeaderLength, item));
    } catch (...) {
        manager_->Free(header);
        throw;
    }
    file_ = std::move(file);
    openPath_ = std::move(openPath);
    currentPath_ = std::move(currentPath);
    item_ = item;
    fileSize_ = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    bytesRead_ = 0;
}

void CopyItemReader::ReadNext(bool& queued, bool& mustWait) {
    queued = false;
    mustWait = false;
    if (!manager_ || !file_) throw SluiceException(SluiceException::InconsistentJob);
    if (bytesRead_ >= fileSize_) return;

    BufferSpan span;
    if (!AllocateReadBuffer(span)) {
        mustWait = true;
        return;
    }
    const uint64_t length = ReadChunk(span);
    QueueData(span, length);
    queued = true;
}

void CopyItemReader::Close() {
    file_.reset();
    openPath_.clear();
    currentPath_.clear();
    item_ = nullptr;
    fileSize_ = 0;
    bytesRead_ = 0;
}

void CopyItemReader::Abort() {
    if (manager_ && !openPath_.empty()) {
        manager_->RemoveFileBuffers(openPath_, item_);
        // The header record went out under the header path; when that is another name,
        // it would otherwise stay queued and keep its buffer.
        if (!PathEquals(currentPath_, openPath_)) manager_->RemoveFileBuffers(currentPath_, item_);
    }
    Close();
}

void CopyItemReader::SetTransfer(CopyItemTransfer* transfer) {
    transfer_ = transfer ? transfer : &CopyItemTransfer::System();
}

void* CopyItemReader::AllocateReadBuffer(BufferSpan& span) {
    const uint32_t alignment = manager_->GetAlignment();
    uint64_t size = std::min(readChunkSize_, fileSize_ - bytesRead_);
    size = RoundUp(size, alignment);
    // A request larger than the whole pool could never be granted, and the reader and the
    // writer would wake each other for ever; the pool size is a multiple of the alignment.
    const uint64_t wholePool = RoundDown(manager_->GetPoolSize(), alignment);
    if (wholePool != 0) size = std::min(size, wholePool);
    return manager_->Allocate(size, span);
}

uint64_t CopyItemReader::ReadChunk(const BufferSpan& span) {
    const uint64_t remaining = fileSize_ - bytesRead_;
    DWORD got = 0;
    DWORD error = 0;
    if (!transfer_->Read(file_.get(), bytesRead_, span.address, static_cast<DWORD>(span.length), got)) {
        error = GetLastError();
    } else if (got < std::min<uint64_t>(span.length, remaining)) {
        // Only the end of the file cuts a read short, and it came before the size the file
        // had at Open: it was shortened while being copied. Queuing what came, or going on
        // with empty reads, would end in a short copy reported as complete.
        error = ERROR_HANDLE_EOF;
    }
    if (error != 0) {
        manager_->Free(span);
        throw WindowsFileException(error, currentPath_);
    }
    // A file that grew meanwhile is copied at the size it had at Open, like its header says.
    return std::min<uint64_t>(got, remaining);
}

void CopyItemReader::QueueData(const BufferSpan& span, uint64_t length) {
    try {
        manager_->PushBack(FileBufferQueueData(openPath_, static_cast<int64_t>(bytesRead_), span.address, length, item_));
    } catch (...) {
        manager_->Free(span);
        throw;
    }
    bytesRead_ += length;
}

}  // namespace Marlin::Sluice
