#include "SluiceCopyReaderThread.h"

#include <windows.h>

#include <string>

#include "CopyItemReader.h"
#include "ICopyBufferManager.h"
#include "Paths.h"
#include "SluiceCopyThreadContext.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
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
    : context_(context), reader_(reader) {}

SluiceCopyReaderThread::~SluiceCopyReaderThread() = default;

void SluiceCopyReaderThread::Run() noexcept {
    context_.RunCopyThread([this] { Loop(); }, nullptr, context_.status.readCursor, context_.readerThread);
}

void SluiceCopyReaderThread::Loop() {
    SluiceStatus& status = context_.status;
    if (context_.resumesReceivedStatus)
        status.SkipToReadable();
    else
        status.BeginRead(context_.option.destination);

    while (status.readCursor.IsWalking()) {
        context_.CheckCancel();
        bool mustWait = false;
        try {
            if (SkipMarked()) ReadStep(mustWait);
        } catch (const SluiceExceptionEncrypted& question) {
            int32_t answer = SluiceCoreEvent::NoAnswer;
            context_.event.AskEncrypted(question, answer);
            ApplyReaderAnswer(answer);
        } catch (const SluiceExceptionOverwrite& question) {
            int32_t answer = SluiceCoreEvent::NoAnswer;
            context_.event.AskOverwrite(question, answer);
            ApplyReaderAnswer(answer);
        } catch (const Marlin::WindowsFileException& failure) {
            // The question borrows the failure, which lives until this handler ends.
            const SluiceExceptionRetryFile question(failure);
            int32_t answer = SluiceCoreEvent::NoAnswer;
            context_.event.AskRetryFile(question, answer);
            ApplyReaderAnswer(answer);
        }
        NotifyProgress();
        if (mustWait) ReaderWait();
    }
}

void SluiceCopyReaderThread::ReadStep(bool& mustWait) {
    switch (context_.status.readCursor.Kind()) {
    case CopyItemKind::File:
        CheckOverwrite();
        ReadItem(mustWait);
        return;
    case CopyItemKind::Folder:
        CheckOverwrite();
        CheckFolderEncryption();
        context_.status.AdvanceRead();  // a folder has nothing to read
        return;
    case CopyItemKind::Stream:
        // A stream goes wherever its file went; its file had the overwrite check.
        ReadItem(mustWait);
        return;
    default:
        throw SluiceException(SluiceException::InconsistentJob);
    }
}

void SluiceCopyReaderThread::CheckOverwrite() {
    const SluiceStatusItemInfo& cursor = context_.status.readCursor;
    const CopyItemTree::iterator item = cursor.Node();
    if (HasAny(item, CopyItemFlags::ReadOpened | CopyItemFlags::OverwriteApproved | CopyItemFlags::DestinationAbsent))
        return;

    const std::wstring destination = cursor.ItemDestinationPath();
    WIN32_FILE_ATTRIBUTE_DATA destinationData{};
    if (!GetFileAttributesExW(ToLongPath(destination).c_str(), GetFileExInfoStandard, &destinationData)) {
        // Nothing below a missing destination can exist either: no more checks down there.
        SluiceStatus::MarkItemFlags(item, CopyItemFlags::DestinationAbsent, true);
        return;
    }
    const std::wstring source = cursor.ItemSourcePath();
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    if (!GetFileAttributesExW(ToLongPath(source).c_str(), GetFileExInfoStandard, &sourceData))
        throw Marlin::WindowsFileException(GetLastError(), source);
    throw SluiceExceptionOverwrite(source, sourceData, destination, destinationData);
}

void SluiceCopyReaderThread::CheckFolderEncryption() {
    const SluiceStatusItemInfo& cursor = context_.status.readCursor;
    const CopyItemTree::iterator item = cursor.Node();
    if (context_.status.encryptionSupported == 1 ||
        HasAny(item, CopyItemFlags::ReadOpened | CopyItemFlags::EncryptionLossApproved))
        return;
    // An existing folder keeps whatever protection it has; nothing is lost by merging.
    if (GetFileAttributesW(ToLongPath(cursor.ItemDestinationPath()).c_str()) != INVALID_FILE_ATTRIBUTES) return;

    const std::wstring source = cursor.ItemSourcePath();
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    if (!GetFileAttributesExW(ToLongPath(source).c_str(), GetFileExInfoStandard, &sourceData))
        throw Marlin::WindowsFileException(GetLastError(), source);
    if (sourceData.dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED) throw SluiceExceptionEncrypted(source, sourceData);
}

void SluiceCopyReaderThread::ReadItem(bool& mustWait) {
    SluiceStatus& status = context_.status;
    const CopyItemTree::iterator item = status.readCursor.Node();
    if (!reader_.IsOpen()) {
        const bool checkEncryption =
            !(status.encryptionSupported == 1 || HasAny(item, CopyItemFlags::EncryptionLossApproved));
        const std::wstring source = status.readCursor.ItemSourcePath();
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
    status.AdvanceRead();
}

bool SluiceCopyReaderThread::SkipMarked() {
    SluiceStatus& status = context_.status;
    SluiceStatusItemInfo& cursor = status.readCursor;
    while (cursor.IsWalking() && cursor.Node().node() && cursor.Node()->HasFlags(CopyItemFlags::Skip)) {
        // By item, not by path: the same file may be an item of another tree too.
        const FileBufferQueueData::ItemKey item = cursor.Node().node();
        if (reader_.IsOpen() && reader_.GetItem() == item) reader_.Abort();
        context_.manager.RemoveFileBuffers(cursor.ItemSourcePath(), item);
        status.AdvanceRead();
    }
    return cursor.IsWalking();
}

void SluiceCopyReaderThread::ReaderWait() {
    context_.WaitForPeer(context_.readerWakeEvent, context_.writerWakeEvent, context_.writerThread,
                         context_.status.writeCursor, SluiceException::ReaderWaitFailed, writerEndedBefore_);
}

void SluiceCopyReaderThread::ApplyReaderAnswer(int32_t answer) {
    const CopyItemTree::iterator item = context_.status.readCursor.Node();
    switch (answer) {
    case SluiceCoreEvent::Retry:
        return;
    case SluiceCoreEvent::Skip:
        SluiceCopyThreadContext::MarkSkipped(item);
        // The writer may be waiting for this very item; it must pass over it now.
        context_.WakeWriter();
        return;
    case SluiceCoreEvent::WithoutEncryption:
        SluiceStatus::MarkItemFlags(item, CopyItemFlags::EncryptionLossApproved, false);
        return;
    case SluiceCoreEvent::Overwrite:
        SluiceStatus::MarkItemFlags(item, CopyItemFlags::OverwriteApproved, false);
        return;
    case SluiceCoreEvent::Elevate:
        context_.SignalCancel();
        throw SluiceException(SluiceException::ElevationRequested);
    default:  // cancel, no answer, anything unknown
        context_.SignalCancel();
        throw SluiceException(SluiceException::Cancelled);
    }
}

void SluiceCopyReaderThread::WakeWriterWhenFilled() const {
    if (context_.manager.GetUsedSize() >= context_.option.writerWakeUsedBytes) context_.WakeWriter();
}

void SluiceCopyReaderThread::NotifyProgress() const {
    context_.event.NotifyReadProgress(context_.status, context_.TotalMs(), context_.CopyMs(), reader_.GetBytesRead());
}

}  // namespace Marlin::Sluice
