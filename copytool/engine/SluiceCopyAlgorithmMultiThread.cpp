#include "SluiceCopyAlgorithmMultiThread.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "CopyBufferManagerSemaphoreLock.h"
#include "CopyItemReader.h"
#include "CopyItemWriter.h"
#include "EnumerateSources.h"
#include "Paths.h"
#include "SluiceCopyReaderThread.h"
#include "SluiceCopyThreadContext.h"
#include "SluiceCopyWriterThread.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionRetryFile.h"
#include "SourceList.h"
#include "ThreadStart.h"
#include "Volumes.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

namespace {

unsigned __stdcall ReaderMain(void* body) {
    static_cast<SluiceCopyReaderThread*>(body)->Run();
    return 0;
}

unsigned __stdcall WriterMain(void* body) {
    static_cast<SluiceCopyWriterThread*>(body)->Run();
    return 0;
}

uint64_t Milliseconds(const Marlin::Stopwatch& stopwatch) {
    return static_cast<uint64_t>(stopwatch.StartToStopMicroseconds() / 1000);
}

Marlin::KernelHandle MakeEvent() { return Marlin::KernelHandle(::CreateEventW(nullptr, FALSE, FALSE, nullptr)); }

// Removable and network volumes may still hold a closed file's data back; a moved file's
// source goes right after its copy is closed, so there the copy is flushed first. The
// option creator writes every file unbuffered (a threshold of 0) to the disks it takes for
// removable ones. Fixed disks keep their own write cache and their speed.
bool FlushesMovedFiles(const SluiceOption& option) {
    if (option.move != 1) return false;
    if (option.noBufferingThreshold == 0) return true;
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(option.destination.c_str(), root, MAX_PATH)) return false;
    const UINT type = ::GetDriveTypeW(root);
    return type == DRIVE_REMOVABLE || type == DRIVE_REMOTE;
}

// Waits for a thread whatever happens: the run's objects must outlive every copy thread.
void WaitUntilEnded(HANDLE thread) {
    while (::WaitForSingleObject(thread, INFINITE) == WAIT_FAILED) ::Sleep(10);
}

}  // namespace

std::unique_ptr<ISluiceCopyAlgorithm> CreateDefaultCopyAlgorithm(const SluiceOption& option, SluiceCoreEvent& event) {
    return std::make_unique<SluiceCopyAlgorithmMultiThread>(option, event);
}

SluiceCopyAlgorithmMultiThread::SluiceCopyAlgorithmMultiThread(const SluiceOption& option, SluiceCoreEvent& event)
    : option_(option), event_(event) {}

SluiceCopyAlgorithmMultiThread::~SluiceCopyAlgorithmMultiThread() { CleanUp(); }

void SluiceCopyAlgorithmMultiThread::SetElevateClient(Marlin::PipeCommandClient* client) { elevateClient_ = client; }

void SluiceCopyAlgorithmMultiThread::SetSearch(SearchMaker search) { search_ = std::move(search); }

void SluiceCopyAlgorithmMultiThread::SetTransfers(CopyItemTransfer* readerTransfer, CopyItemTransfer* writerTransfer) {
    readerTransfer_ = readerTransfer;
    writerTransfer_ = writerTransfer;
}

void SluiceCopyAlgorithmMultiThread::Run() {
    try {
        totalStopwatch_.Start();
        event_.NotifyCopyStarted();
        Setup();
        bool allRenamed = false;
        if (elevateClient_) {
            // An elevated instance continues from the status the normal instance sends
            // over the pipe. Receiving it is not part of this build, so such a run ends
            // as one whose items could not be received.
            throw SluiceException(SluiceException::ReceiveItemsFailed);
        } else if (RenameMoves() == 1) {
            allRenamed = true;
        } else {
            Enumerate();
        }
        if (!allRenamed) {
            CreateBufferPool();
            copyStopwatch_.Start();
            RunThreads();
            // elevationNeeded_ 1: a thread stopped for administrator rights. Handing the
            // rest of the job to an elevated instance is not part of this build; both
            // threads have reported the stop, so the run ends as after a cancel.
        }
    } catch (const Marlin::Exception& failure) {
        event_.NotifyError(&failure);
    } catch (...) {
        event_.NotifyError(nullptr);
    }
    CleanUp();
    try {
        totalStopwatch_.Stop();
        copyStopwatch_.Stop();
    } catch (const Marlin::Exception&) {
        // Without a counter the times read 0; the end must still be reported.
    }
    event_.NotifyFinished(Milliseconds(totalStopwatch_), Milliseconds(copyStopwatch_));
}

void SluiceCopyAlgorithmMultiThread::Setup() {
    try {
        status_.Reset();
        manager_ = std::make_unique<CopyBufferManagerSemaphoreLock>();
        reader_ = std::make_unique<CopyItemReader>();
        writer_ = std::make_unique<CopyItemWriter>();
        cancelEvent_ = MakeEvent();
        readerWakeEvent_ = MakeEvent();
        writerWakeEvent_ = MakeEvent();
        elevationNeeded_ = 0;
        if (!cancelEvent_ || !readerWakeEvent_ || !writerWakeEvent_ ||
            !reader_->Initialize(manager_.get(), option_.readChunkSize) ||
            !writer_->Initialize(manager_.get(), option_.writeChunkSize, option_.noBufferingThreshold))
            throw SluiceException(SluiceException::SetupFailed);
        reader_->SetTransfer(readerTransfer_);
        writer_->SetTransfer(writerTransfer_);
        writer_->SetFlushOnFinish(FlushesMovedFiles(option_));
    } catch (const SluiceException& failure) {
        if (failure.type == SluiceException::SetupFailed) throw;
        throw SluiceException(SluiceException::SetupFailed);
    } catch (...) {
        throw SluiceException(SluiceException::SetupFailed);
    }
}

void SluiceCopyAlgorithmMultiThread::CleanUp() noexcept {
    cancelEvent_.reset();
    readerWakeEvent_.reset();
    writerWakeEvent_.reset();
    reader_.reset();
    writer_.reset();
    if (manager_) manager_->DestroyPool();
    manager_.reset();
    readerThread_.reset();
    writerThread_.reset();
    status_.Reset();
}

int32_t SluiceCopyAlgorithmMultiThread::RenameMoves() {
    if (option_.move != 1 || !IsSameDrive(option_.sources, option_.destination)) return 0;
    std::wstring folder = option_.destination;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> remaining;
    for (const std::wstring& source : option_.sources) {
        const std::wstring target = folder + GetFileNamePart(source);
        // A rename that fails (the target exists, say) is no error: that source is copied
        // and deleted instead, and asks whatever it has to ask on the way.
        if (!::MoveFileW(ToLongPath(source).c_str(), ToLongPath(target).c_str())) remaining.push_back(source);
    }
    if (remaining.empty()) return 1;
    option_.sources = std::move(remaining);
    return 0;
}

void SluiceCopyAlgorithmMultiThread::Enumerate() {
    // A folder that is there but cannot be listed is that item's error, asked like the
    // copy threads ask about theirs: taking it for empty would report a job as done that
    // left the folder's contents behind.
    const FindCopyItem::ListingQuestion question = [this](const Marlin::WindowsFileException& failure) {
        SluiceExceptionRetryFile retry(failure);
        // The job cannot be handed to an elevated instance before its trees are complete,
        // so administrator rights are not offered here.
        retry.elevated = 1;
        int32_t answer = SluiceCoreEvent::NoAnswer;
        event_.AskRetryFile(retry, answer);
        if (answer == SluiceCoreEvent::Retry) return FindCopyItem::ListingAnswer::Retry;
        if (answer == SluiceCoreEvent::Skip) return FindCopyItem::ListingAnswer::Skip;
        throw SluiceException(SluiceException::Cancelled);
    };
    if (!EnumerateSources(option_.sources, option_.destination, option_.move == 1, status_.items,
                          FindCopyItem::Calls{{}, search_, question}))
        throw SluiceException(SluiceException::EnumerationFailed);
    status_.encryptionSupported = SupportsEncryption(option_.destination) ? 1 : 0;
    status_.foldersFirst = option_.foldersFirst;
    event_.NotifyEnumerated(status_, cancelEvent_.get());

    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(ToLongPath(option_.destination).c_str(), &available, nullptr, nullptr))
        throw Marlin::WindowsFileException(::GetLastError(), option_.destination);
    const uint64_t needed = status_.items.totalBytes > 0 ? static_cast<uint64_t>(status_.items.totalBytes) : 0;
    if (available.QuadPart < needed) throw SluiceExceptionNotFreeSpace(needed - available.QuadPart);
}

void SluiceCopyAlgorithmMultiThread::CreateBufferPool() {
    uint64_t size = option_.bufferPoolSize;
    const uint32_t alignment = AlignBufferSize(option_.sources, option_.destination, size);
    if (!manager_->CreatePool(size, alignment)) throw SluiceException(SluiceException::BufferPoolFailed);
}

void SluiceCopyAlgorithmMultiThread::RunThreads() {
    SluiceCopyThreadContext context(option_, event_, status_, *manager_, cancelEvent_.get(), readerWakeEvent_.get(),
                                    writerWakeEvent_.get(), totalStopwatch_, copyStopwatch_,
                                    elevateClient_ != nullptr);
    SluiceCopyReaderThread readerBody(context, *reader_);
    SluiceCopyWriterThread writerBody(context, *writer_);

    readerThread_ = CreateCopyThread(&ReaderMain, &readerBody);
    if (readerThread_) writerThread_ = CreateCopyThread(&WriterMain, &writerBody);
    if (!readerThread_ || !writerThread_) {
        // One thread alone would copy nothing or wait for ever; the one that was made
        // leaves at once, and the run reports that it could not be set up instead of
        // finishing as if the job had been done.
        context.abandoned.store(true);
        if (readerThread_) {
            Marlin::ResumeOrEnd(readerThread_.get());
            WaitUntilEnded(readerThread_.get());
        }
        readerThread_.reset();
        writerThread_.reset();
        throw SluiceException(SluiceException::SetupFailed);
    }

    context.readerThread.store(readerThread_.get());
    context.writerThread.store(writerThread_.get());
    // This thread watches the cancel event for the copy threads while it waits for them
    // (SluiceCopyThreadContext::CheckCancel). A cancel given before they run is taken
    // over at once, so that their very first check sees it.
    context.WatchCancel();
    if (::WaitForSingleObject(cancelEvent_.get(), 0) == WAIT_OBJECT_0) context.SignalCancel();
    const HANDLE both[] = {readerThread_.get(), writerThread_.get()};
    bool resumeFailed = false;
    if (!Marlin::ResumeOrEnd(readerThread_.get())) {
        // Neither has run yet: the writer can simply leave.
        context.abandoned.store(true);
        resumeFailed = true;
    }
    if (!Marlin::ResumeOrEnd(writerThread_.get())) {
        if (!resumeFailed) {
            // The reader already runs; it has to see its partner gone for good.
            context.writerThread.store(nullptr);
            status_.writeCursor.SetState(SluiceStatusItemInfo::Stopped);
            context.SignalCancel();
        }
        resumeFailed = true;
    }

    if (!resumeFailed) WatchThreads(context, both);
    // Both, whatever the states say: a thread that has not even begun its walk is still
    // running, and everything it uses is destroyed once this returns.
    WaitUntilEnded(both[0]);
    WaitUntilEnded(both[1]);
    elevationNeeded_ = context.elevationNeeded.load();
    if (resumeFailed) throw SluiceException(SluiceException::SetupFailed);
}

void SluiceCopyAlgorithmMultiThread::WatchThreads(SluiceCopyThreadContext& context, const HANDLE (&threads)[2]) {
    const SluiceStatusItemInfo* const cursors[] = {&status_.readCursor, &status_.writeCursor};
    bool running[] = {true, true};
    bool watching = true;  // until the cancel has been seen once: from then on it stays signalled
    bool firstEnded = true;
    while (running[0] || running[1]) {
        HANDLE waits[3];
        int which[3];
        DWORD count = 0;
        for (int i = 0; i < 2; ++i) {
            if (!running[i]) continue;
            waits[count] = threads[i];
            which[count++] = i;
        }
        if (watching) {
            waits[count] = cancelEvent_.get();
            which[count++] = 2;
        }
        const DWORD result = ::WaitForMultipleObjects(count, waits, FALSE, INFINITE);
        if (result >= WAIT_OBJECT_0 + count) {
            // No telling what either thread does: stop both (the caller still waits for them).
            context.SignalCancel();
            return;
        }
        const int what = which[result - WAIT_OBJECT_0];
        if (what == 2) {
            context.SignalCancel();  // the wait took the auto-reset signal; it goes back at once
            watching = false;
            continue;
        }
        running[what] = false;
        // A thread that stopped on an error takes the other one down with it.
        if (firstEnded && cursors[what]->State() == SluiceStatusItemInfo::Stopped) context.SignalCancel();
        firstEnded = false;
    }
}

Marlin::KernelHandle SluiceCopyAlgorithmMultiThread::CreateCopyThread(ThreadBody body, void* argument) {
    return Marlin::CreateSuspendedThread(body, argument);
}

}  // namespace Marlin::Sluice
