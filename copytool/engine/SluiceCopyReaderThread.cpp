#include "SluiceCopyReaderThread.h"

#include <windows.h>

#include <string>

#include "CopyItemReader.h"
#include "FileIdentity.h"
#include "ICopyBufferManager.h"
#include "Paths.h"
#include "SluiceCopyThreadContext.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceOption.h"
#include "SluiceStatus.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

namespace {

bool HasAny(const CopyItemTree::iterator& item, CopyItemFlags bits) {
    return (item->Flags() & ToBits(bits)) != 0;
}

}  // namespace

SluiceCopyReaderThread::SluiceCopyReaderThread(SluiceCopyThreadContext& context, CopyItemReader& reader)
    : SluiceCopyThread(context, Sides{context.status.readCursor, context.readerThread, context.readerWakeEvent,
                                      context.status.writeCursor, context.writerThread, context.writerWakeEvent,
                                      SluiceException::ReaderWaitFailed}),
      reader_(reader) {}

SluiceCopyReaderThread::~SluiceCopyReaderThread() = default;

void SluiceCopyReaderThread::Begin() {
    if (context_.resumesReceivedStatus)
        context_.status.SkipToReadable();
    else
        context_.status.BeginRead(context_.option.destination);
}

void SluiceCopyReaderThread::Step(bool& mustWait) {
    switch (cursor_.Kind()) {
    case CopyItemKind::File:
        if (CheckOverwrite()) ReadItem(mustWait);
        return;
    case CopyItemKind::Folder:
        if (!CheckOverwrite()) return;
        CheckFolderEncryption();
        Advance();  // a folder has nothing to read
        return;
    case CopyItemKind::Stream:
        // A stream goes wherever its file went; its file had the overwrite check.
        ReadItem(mustWait);
        return;
    default:
        throw SluiceException(SluiceException::InconsistentJob);
    }
}

void SluiceCopyReaderThread::Advance() { context_.status.AdvanceRead(); }

void SluiceCopyReaderThread::DropOpenItem(FileBufferQueueData::ItemKey item) {
    if (reader_.IsOpen() && reader_.GetItem() == item) reader_.Abort();
}

bool SluiceCopyReaderThread::CheckOverwrite() {
    const CopyItemTree::iterator item = cursor_.Node();
    if (HasAny(item, CopyItemFlags::ReadOpened | CopyItemFlags::OverwriteApproved | CopyItemFlags::DestinationAbsent))
        return true;

    const std::wstring destination = cursor_.ItemDestinationPath();
    WIN32_FILE_ATTRIBUTE_DATA destinationData{};
    if (!GetFileAttributesExW(ToLongPath(destination).c_str(), GetFileExInfoStandard, &destinationData)) {
        // Nothing below a missing destination can exist either: no more checks down there.
        SluiceStatus::MarkItemFlags(item, CopyItemFlags::DestinationAbsent, true);
        return true;
    }
    const std::wstring source = cursor_.ItemSourcePath();
    // The destination is the source itself under another name: replacing it would truncate
    // the only copy, and a move would then delete it. Nothing to ask; the item fails, both
    // names keep what they have, and the job goes on.
    if (IsSameFile(source, destination)) {
        context_.GiveUp(item, kSameFileError, destination);
        return false;
    }
    // A file this job wrote itself is no file that was there before: no answer about those
    // may replace it (two sources of one name into one folder).
    if (context_.written.Contains(destination)) {
        context_.GiveUp(item, ERROR_FILE_EXISTS, destination);
        return false;
    }
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    if (!GetFileAttributesExW(ToLongPath(source).c_str(), GetFileExInfoStandard, &sourceData))
        throw Marlin::WindowsFileException(GetLastError(), source);
    throw SluiceExceptionOverwrite(source, sourceData, destination, destinationData);
}

void SluiceCopyReaderThread::CheckFolderEncryption() {
    const CopyItemTree::iterator item = cursor_.Node();
    if (context_.status.encryptionSupported == 1 ||
        HasAny(item, CopyItemFlags::ReadOpened | CopyItemFlags::EncryptionLossApproved))
        return;
    // An existing folder keeps whatever protection it has; nothing is lost by merging.
    if (GetFileAttributesW(ToLongPath(cursor_.ItemDestinationPath()).c_str()) != INVALID_FILE_ATTRIBUTES) return;

    const std::wstring source = cursor_.ItemSourcePath();
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    if (!GetFileAttributesExW(ToLongPath(source).c_str(), GetFileExInfoStandard, &sourceData))
        throw Marlin::WindowsFileException(GetLastError(), source);
    if (sourceData.dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED) throw SluiceExceptionEncrypted(source, sourceData);
}

void SluiceCopyReaderThread::ReadItem(bool& mustWait) {
    const CopyItemTree::iterator item = cursor_.Node();
    if (!reader_.IsOpen()) {
        const bool checkEncryption =
            !(context_.status.encryptionSupported == 1 || HasAny(item, CopyItemFlags::EncryptionLossApproved));
        const std::wstring source = cursor_.ItemSourcePath();
        reader_.Open(source, source, checkEncryption, mustWait, item.node());
        if (mustWait) return;
        SluiceStatus::MarkItemFlags(item, CopyItemFlags::ReadOpened, false);
        WakeWriterWhenFilled();
    }
    for (;;) {
        // The writer may give the item up (a write error answered with skip) while this
        // thread still reads it, and drop what is queued of it by then. Whatever is queued
        // afterwards must not stay behind in front of the next file's records, or the writer
        // would wait for that file for ever: SkipMarked drops it, once this step returns.
        if (item->HasFlags(CopyItemFlags::Skip)) return;
        if (reader_.GetBytesRead() >= reader_.GetFileSize()) break;
        bool queued = false;
        reader_.ReadNext(queued, mustWait);
        if (mustWait) return;  // the read goes on from here after the wait
        if (queued) WakeWriterWhenFilled();
        context_.CheckCancel();
        NotifyProgress();
    }
    reader_.Close();
    Advance();
}

void SluiceCopyReaderThread::Skipped() {
    // The writer may be waiting for this very item; it must pass over it now.
    context_.WakeWriter();
}

bool SluiceCopyReaderThread::ApplyOwnAnswer(int32_t answer) {
    if (answer != SluiceCoreEvent::WithoutEncryption) return false;
    SluiceStatus::MarkItemFlags(cursor_.Node(), CopyItemFlags::EncryptionLossApproved, false);
    return true;
}

void SluiceCopyReaderThread::WakeWriterWhenFilled() const {
    if (context_.manager.GetUsedSize() >= context_.option.writerWakeUsedBytes) context_.WakeWriter();
}

void SluiceCopyReaderThread::NotifyProgress() const {
    context_.event.NotifyReadProgress(context_.status, context_.TotalMs(), context_.CopyMs(), reader_.GetBytesRead());
}

}  // namespace Marlin::Sluice
