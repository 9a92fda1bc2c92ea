#include "SluiceCopyWriterThread.h"

#include <windows.h>

#include <string>

#include "CopyItemWriter.h"
#include "CreateFolderLike.h"
#include "ICopyBufferManager.h"
#include "Paths.h"
#include "SluiceCopyThreadContext.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "SluiceOption.h"
#include "SluiceStatus.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

namespace {

bool Has(const CopyItemTree::iterator& item, CopyItemFlags bit) { return item->HasFlags(bit); }

}  // namespace

SluiceCopyWriterThread::SluiceCopyWriterThread(SluiceCopyThreadContext& context, CopyItemWriter& writer)
    : context_(context), writer_(writer) {}

SluiceCopyWriterThread::~SluiceCopyWriterThread() = default;

void SluiceCopyWriterThread::Run() noexcept {
    // A half-written destination must not stay behind looking like a copy.
    context_.RunCopyThread([this] { Loop(); }, [this] { writer_.Abort(); }, context_.status.writeCursor,
                           context_.writerThread);
}

void SluiceCopyWriterThread::Loop() {
    SluiceStatus& status = context_.status;
    if (context_.resumesReceivedStatus)
        status.SkipToWritable();
    else
        status.BeginWrite(context_.option.destination);

    while (status.writeCursor.IsWalking()) {
        context_.CheckCancel();
        bool mustWait = false;
        try {
            if (SkipMarked()) WriteStep(mustWait);
        } catch (const Marlin::WindowsFileException& failure) {
            // A destination that appeared after the reader looked is a conflict, not an error.
            const bool exists = failure.error == ERROR_ALREADY_EXISTS || failure.error == ERROR_FILE_EXISTS;
            if (!exists || AskOverwriteOnCreate() == 0) {
                // The question borrows the failure, which lives until this handler ends.
                const SluiceExceptionRetryFile question(failure);
                int32_t answer = SluiceCoreEvent::NoAnswer;
                context_.event.AskRetryFile(question, answer);
                ApplyWriterAnswer(answer);
            }
        }
        NotifyProgress();
        if (mustWait) WriterWait();
    }
}

void SluiceCopyWriterThread::WriteStep(bool& mustWait) {
    const CopyItemTree::iterator item = context_.status.writeCursor.Node();
    // The reader's bit says it is done with the item (or has at least queued its header);
    // until then there is nothing the writer may do with it.
    const auto needs = [&](CopyItemFlags readerBit) {
        mustWait = !Has(item, readerBit);
        return !mustWait;
    };
    switch (context_.status.writeCursor.Kind()) {
    case CopyItemKind::File:
    case CopyItemKind::Stream:
        if (needs(CopyItemFlags::ReadOpened)) WriteItem(mustWait);
        return;
    case CopyItemKind::Folder:
        if (needs(CopyItemFlags::ReadPassed)) CreateFolder();
        return;
    case CopyItemKind::DeleteFile:
        if (needs(CopyItemFlags::ReadPassed)) DeleteSourceFile();
        return;
    case CopyItemKind::RemoveFolder:
        if (needs(CopyItemFlags::ReadPassed)) RemoveSourceFolder();
        return;
    default:
        throw SluiceException(SluiceException::InconsistentJob);
    }
}

void SluiceCopyWriterThread::WriteItem(bool& mustWait) {
    SluiceStatus& status = context_.status;
    if (!writer_.IsOpen()) {
        const bool overwrite = Has(status.writeCursor.Node(), CopyItemFlags::OverwriteApproved);
        writer_.Open(status.writeCursor.ItemDestinationPath(), status.writeCursor.ItemSourcePath(), overwrite,
                     mustWait, status.writeCursor.Node().node());
        if (mustWait) return;
        WakeReaderWhenFreed();  // the header's buffer went back to the pool
    }
    while (writer_.GetBytesWritten() < writer_.GetFileSize()) {
        uint64_t written = 0;
        writer_.WriteNext(written, mustWait);
        if (mustWait) return;
        if (written > 0) WakeReaderWhenFreed();
        context_.CheckCancel();
        NotifyProgress();
    }
    writer_.Finish();
    writer_.Close();
    status.AdvanceWrite();
}

void SluiceCopyWriterThread::CreateFolder() {
    SluiceStatus& status = context_.status;
    const std::wstring destination = status.writeCursor.ItemDestinationPath();
    const std::wstring longDestination = ToLongPath(destination);
    if (Has(status.writeCursor.Node(), CopyItemFlags::OverwriteApproved)) {
        const DWORD existing = GetFileAttributesW(longDestination.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES) {
            // Merging means copying into the folder that is there. A file of that name is
            // no folder to copy into, and creating would only meet it again and ask the
            // same question for ever; the user has to clear the way or skip.
            if (!(existing & FILE_ATTRIBUTE_DIRECTORY)) throw Marlin::WindowsFileException(ERROR_DIRECTORY, destination);
            status.AdvanceWrite();
            return;
        }
    }
    // An existing destination fails with ERROR_ALREADY_EXISTS: the overwrite question.
    if (!CreateFolderLike(ToLongPath(status.writeCursor.ItemSourcePath()), longDestination))
        throw Marlin::WindowsFileException(GetLastError(), destination);
    status.AdvanceWrite();
}

void SluiceCopyWriterThread::DeleteSourceFile() {
    SluiceStatus& status = context_.status;
    const std::wstring source = status.writeCursor.ItemSourcePath();
    const std::wstring longSource = ToLongPath(source);
    // The copy is complete at this point, so the read-only bit only stands between the move
    // and its end: DeleteFileW refuses such a file with access denied, which would make a
    // move of read-only files ask about every one of them.
    const DWORD attributes = GetFileAttributesW(longSource.c_str());
    const bool clearedReadOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
                                 SetFileAttributesW(longSource.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    DWORD error = ERROR_SUCCESS;
    for (int32_t attempt = 0;; ++attempt) {
        if (DeleteFileW(longSource.c_str())) {
            status.AdvanceWrite();
            return;
        }
        error = GetLastError();
        if (attempt >= context_.option.retryCount) break;
        ::Sleep(static_cast<DWORD>(context_.option.retryIntervalMs > 0 ? context_.option.retryIntervalMs : 0));
    }
    // The source stays, so it keeps its protection (a retry clears it again).
    if (clearedReadOnly) SetFileAttributesW(longSource.c_str(), attributes);
    throw Marlin::WindowsFileException(error, source);
}

void SluiceCopyWriterThread::RemoveSourceFolder() {
    SluiceStatus& status = context_.status;
    const std::wstring source = status.writeCursor.ItemSourcePath();
    const std::wstring longSource = ToLongPath(source);
    DWORD error = ERROR_SUCCESS;
    for (int32_t attempt = 0;; ++attempt) {
        if (RemoveDirectoryW(longSource.c_str())) {
            status.AdvanceWrite();
            return;
        }
        error = GetLastError();
        if (attempt >= context_.option.retryCount) break;
        ::Sleep(static_cast<DWORD>(context_.option.retryIntervalMs > 0 ? context_.option.retryIntervalMs : 0));
    }
    throw Marlin::WindowsFileException(error, source);
}

bool SluiceCopyWriterThread::SkipMarked() {
    SluiceStatus& status = context_.status;
    SluiceStatusItemInfo& cursor = status.writeCursor;
    while (cursor.IsWalking() && cursor.Node().node() && cursor.Node()->HasFlags(CopyItemFlags::Skip)) {
        // By item, not by path: the same file may be an item of another tree too.
        const FileBufferQueueData::ItemKey item = cursor.Node().node();
        if (writer_.IsOpen() && writer_.GetItem() == item) writer_.Abort();  // deletes the incomplete destination
        context_.manager.RemoveFileBuffers(cursor.ItemSourcePath(), item);
        status.AdvanceWrite();
    }
    return cursor.IsWalking();
}

void SluiceCopyWriterThread::WriterWait() {
    context_.WaitForPeer(context_.writerWakeEvent, context_.readerWakeEvent, context_.readerThread,
                         context_.status.readCursor, SluiceException::WriterWaitFailed, readerEndedBefore_);
}

int32_t SluiceCopyWriterThread::AskOverwriteOnCreate() {
    const SluiceStatusItemInfo& cursor = context_.status.writeCursor;
    const std::wstring destination = cursor.ItemDestinationPath();
    const std::wstring source = cursor.ItemSourcePath();
    WIN32_FILE_ATTRIBUTE_DATA destinationData{};
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    if (!GetFileAttributesExW(ToLongPath(destination).c_str(), GetFileExInfoStandard, &destinationData) ||
        !GetFileAttributesExW(ToLongPath(source).c_str(), GetFileExInfoStandard, &sourceData))
        return 0;
    const SluiceExceptionOverwrite question(source, sourceData, destination, destinationData);
    int32_t answer = SluiceCoreEvent::NoAnswer;
    context_.event.AskOverwrite(question, answer);
    ApplyWriterAnswer(answer);
    return 1;
}

void SluiceCopyWriterThread::ApplyWriterAnswer(int32_t answer) {
    const CopyItemTree::iterator item = context_.status.writeCursor.Node();
    switch (answer) {
    case SluiceCoreEvent::Retry:
        return;
    case SluiceCoreEvent::Skip:
        SluiceCopyThreadContext::MarkSkipped(item);
        return;
    case SluiceCoreEvent::Overwrite:
        SluiceStatus::MarkItemFlags(item, CopyItemFlags::OverwriteApproved, false);
        return;
    case SluiceCoreEvent::Elevate:
        context_.SignalCancel();
        throw SluiceException(SluiceException::ElevationRequested);
    default:  // cancel, no answer, and "without encryption", which only the reader can act on
        context_.SignalCancel();
        throw SluiceException(SluiceException::Cancelled);
    }
}

void SluiceCopyWriterThread::WakeReaderWhenFreed() const {
    if (context_.manager.GetFreeSize() >= context_.option.readerWakeFreeBytes) context_.WakeReader();
}

void SluiceCopyWriterThread::NotifyProgress() const {
    context_.event.NotifyWriteProgress(context_.status, context_.TotalMs(), context_.CopyMs(),
                                       writer_.GetBytesWritten());
}

}  // namespace Marlin::Sluice
