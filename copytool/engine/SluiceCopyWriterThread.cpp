#include "SluiceCopyWriterThread.h"

#include <string>

#include "CopyItemWriter.h"
#include "CreateFolderLike.h"
#include "FileIdentity.h"
#include "ICopyBufferManager.h"
#include "Paths.h"
#include "ReadOnlyClearance.h"
#include "SluiceCopyThreadContext.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceOption.h"
#include "SluiceStatus.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

namespace {

bool Has(const CopyItemTree::iterator& item, CopyItemFlags bit) { return item->HasFlags(bit); }

}  // namespace

SluiceCopyWriterThread::SluiceCopyWriterThread(SluiceCopyThreadContext& context, CopyItemWriter& writer)
    : SluiceCopyThread(context, Sides{context.status.writeCursor, context.writerThread, context.writerWakeEvent,
                                      context.status.readCursor, context.readerThread, context.readerWakeEvent,
                                      SluiceException::WriterWaitFailed}),
      writer_(writer) {}

SluiceCopyWriterThread::~SluiceCopyWriterThread() = default;

void SluiceCopyWriterThread::Begin() {
    if (context_.resumesReceivedStatus)
        context_.status.SkipToWritable();
    else
        context_.status.BeginWrite(context_.option.destination);
}

void SluiceCopyWriterThread::Step(bool& mustWait) {
    const CopyItemTree::iterator item = cursor_.Node();
    // The reader's bit says it is done with the item (or has at least queued its header);
    // until then there is nothing the writer may do with it.
    const auto needs = [&](CopyItemFlags readerBit) {
        mustWait = !Has(item, readerBit);
        return !mustWait;
    };
    switch (cursor_.Kind()) {
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

void SluiceCopyWriterThread::Advance() { context_.status.AdvanceWrite(); }

void SluiceCopyWriterThread::DropOpenItem(FileBufferQueueData::ItemKey item) {
    if (writer_.IsOpen() && writer_.GetItem() == item) writer_.Abort();  // deletes the incomplete destination
}

void SluiceCopyWriterThread::OnFailure(const Marlin::WindowsFileException& failure) {
    // A destination that appeared after the reader looked is a conflict, not an error.
    const bool exists = failure.error == ERROR_ALREADY_EXISTS || failure.error == ERROR_FILE_EXISTS;
    if (!exists || AskOverwriteOnCreate() == 0) AskRetry(failure);
}

void SluiceCopyWriterThread::CleanUpOnStop() { writer_.Abort(); }

void SluiceCopyWriterThread::WriteItem(bool& mustWait) {
    const bool file = cursor_.Kind() == CopyItemKind::File;
    if (!writer_.IsOpen()) {
        const bool overwrite = Has(cursor_.Node(), CopyItemFlags::OverwriteApproved);
        if (overwrite && file && RefusesReplacement()) return;
        writer_.Open(cursor_.ItemDestinationPath(), cursor_.ItemSourcePath(), overwrite, mustWait,
                     cursor_.Node().node());
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
    if (file) {
        context_.written.Add(writer_.GetDestinationPath());
        if (context_.option.move == 1) movedSource_ = SeenSourceFile(writer_.GetSourcePath(), writer_.GetSourceInformation());
    }
    writer_.Close();
    Advance();
}

bool SluiceCopyWriterThread::RefusesReplacement() {
    const std::wstring destination = cursor_.ItemDestinationPath();
    // The reader compared them when it asked; a name may have become an alias since, and
    // replacing the source by itself would leave a move nothing to keep.
    if (IsSameFile(cursor_.ItemSourcePath(), destination)) {
        context_.GiveUp(cursor_.Node(), kSameFileError, destination);
        return true;
    }
    // An answer given for the files that were there before does not cover one this job
    // wrote: in a move that copy is the only one left of its source.
    if (context_.written.Contains(destination)) {
        context_.GiveUp(cursor_.Node(), ERROR_FILE_EXISTS, destination);
        return true;
    }
    return false;
}

void SluiceCopyWriterThread::CreateFolder() {
    const std::wstring destination = cursor_.ItemDestinationPath();
    const std::wstring longDestination = ToLongPath(destination);
    if (Has(cursor_.Node(), CopyItemFlags::OverwriteApproved)) {
        const DWORD existing = GetFileAttributesW(longDestination.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES) {
            // Merging means copying into the folder that is there. A file of that name is
            // no folder to copy into, and creating would only meet it again and ask the
            // same question for ever; the user has to clear the way or skip.
            if (!(existing & FILE_ATTRIBUTE_DIRECTORY)) throw Marlin::WindowsFileException(ERROR_DIRECTORY, destination);
            Advance();
            return;
        }
    }
    // An existing destination fails with ERROR_ALREADY_EXISTS: the overwrite question.
    if (!CreateFolderLike(ToLongPath(cursor_.ItemSourcePath()), longDestination))
        throw Marlin::WindowsFileException(GetLastError(), destination);
    Advance();
}

void SluiceCopyWriterThread::DeleteSourceFile() {
    const std::wstring source = cursor_.ItemSourcePath();
    const std::wstring longSource = ToLongPath(source);
    // The copy is of the file the reader opened. One appended to, cut or saved over since is
    // not what was copied: it stays, as an error of its own, and the job goes on.
    const uint32_t changed =
        PathEquals(movedSource_.Path(), source) ? movedSource_.Check() : SeenSourceFile::ChangedError;
    if (changed == SeenSourceFile::ChangedError) {
        const Marlin::WindowsFileException kept(changed, source);
        context_.event.NotifyError(&kept);
        Advance();
        return;
    }
    if (changed != 0) throw Marlin::WindowsFileException(changed, source);
    // The copy is complete at this point, so the read-only bit only stands between the move
    // and its end: DeleteFileW refuses such a file with access denied, which would make a
    // move of read-only files ask about every one of them. A source that stays keeps its
    // protection (a retry clears it again).
    ReadOnlyClearance clearance(longSource);
    const DWORD error = Persist([&] { return DeleteFileW(longSource.c_str()); });
    if (error != ERROR_SUCCESS) throw Marlin::WindowsFileException(error, source);
    clearance.Keep();
    Advance();
}

void SluiceCopyWriterThread::RemoveSourceFolder() {
    const std::wstring source = cursor_.ItemSourcePath();
    const std::wstring longSource = ToLongPath(source);
    const DWORD error = Persist([&] { return RemoveDirectoryW(longSource.c_str()); });
    if (error != ERROR_SUCCESS) throw Marlin::WindowsFileException(error, source);
    Advance();
}

DWORD SluiceCopyWriterThread::Persist(const std::function<BOOL()>& attempt) const {
    for (int32_t tries = 0;; ++tries) {
        if (attempt()) return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        if (tries >= context_.option.retryCount) return error;
        ::Sleep(static_cast<DWORD>(context_.option.retryIntervalMs > 0 ? context_.option.retryIntervalMs : 0));
    }
}

int32_t SluiceCopyWriterThread::AskOverwriteOnCreate() {
    if (cursor_.Kind() == CopyItemKind::File && RefusesReplacement()) return 1;
    const std::wstring destination = cursor_.ItemDestinationPath();
    const std::wstring source = cursor_.ItemSourcePath();
    WIN32_FILE_ATTRIBUTE_DATA destinationData{};
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    if (!GetFileAttributesExW(ToLongPath(destination).c_str(), GetFileExInfoStandard, &destinationData) ||
        !GetFileAttributesExW(ToLongPath(source).c_str(), GetFileExInfoStandard, &sourceData))
        return 0;
    AskOverwrite(SluiceExceptionOverwrite(source, sourceData, destination, destinationData));
    return 1;
}

void SluiceCopyWriterThread::WakeReaderWhenFreed() const {
    if (context_.manager.GetFreeSize() >= context_.option.readerWakeFreeBytes) context_.WakeReader();
}

void SluiceCopyWriterThread::NotifyProgress() const {
    context_.event.NotifyWriteProgress(context_.status, context_.TotalMs(), context_.CopyMs(),
                                       writer_.GetBytesWritten());
}

}  // namespace Marlin::Sluice
