#include "SluiceCoreEvent.h"

#include <utility>

#include "Exception.h"
#include "Paths.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "SluiceStatus.h"
#include "WindowsException.h"

namespace Marlin::Sluice {

namespace {

uint32_t SystemTicks() { return static_cast<uint32_t>(::GetTickCount()); }

bool IsFolder(const WIN32_FILE_ATTRIBUTE_DATA& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

}  // namespace

SluiceCoreEvent::SluiceCoreEvent(TickSource ticks) : ticks_(ticks ? std::move(ticks) : TickSource(&SystemTicks)) {
    lock_.reset(::CreateSemaphoreW(nullptr, 1, 1, nullptr));
    if (!lock_) throw Marlin::WindowsException(::GetLastError());
}

SluiceCoreEvent::~SluiceCoreEvent() = default;

template <class Body>
void SluiceCoreEvent::Locked(Body&& body) {
    // An infinite wait on a handle this object owns fails only if the handle was broken.
    if (::WaitForSingleObject(lock_.get(), INFINITE) != WAIT_OBJECT_0) throw Marlin::WindowsException(::GetLastError());
    try {
        body();
    } catch (...) {
        ::ReleaseSemaphore(lock_.get(), 1, nullptr);
        throw;
    }
    ::ReleaseSemaphore(lock_.get(), 1, nullptr);
}

void SluiceCoreEvent::DeliverLending(int32_t deliveredCode, const Marlin::Exception* exception) {
    // The status carries a mutable pointer for the pipe reader's owned exceptions; a lent
    // one is only ever read by observers.
    status.SetException(const_cast<Marlin::Exception*>(exception));
    try {
        code = deliveredCode;
        Notify();
    } catch (...) {
        status.SetException(nullptr);
        throw;
    }
    status.SetException(nullptr);
}

void SluiceCoreEvent::NotifyStarted() { NotifyCode(Started); }
void SluiceCoreEvent::NotifyEnded() { NotifyCode(Ended); }
void SluiceCoreEvent::NotifyCopyStarted() { NotifyCode(CopyStarted); }

void SluiceCoreEvent::NotifyCode(int32_t notificationCode) {
    Locked([&] {
        code = notificationCode;
        Notify();
    });
}

void SluiceCoreEvent::NotifyFinished(uint64_t totalMs, uint64_t copyMs) {
    Locked([&] {
        status.totalElapsedMs = totalMs;
        status.copyElapsedMs = copyMs;
        code = Finished;
        Notify();
    });
}

void SluiceCoreEvent::NotifyError(const Marlin::Exception* exception) {
    Locked([&] { DeliverLending(Error, exception); });
}

void SluiceCoreEvent::NotifyQuestion(const Marlin::Exception* exception) {
    Locked([&] {
        answer = NoAnswer;
        applyToAll = 0;
        DeliverLending(Question, exception);
    });
}

void SluiceCoreEvent::NotifyEnumerated(const SluiceStatus& source, HANDLE cancel) {
    Locked([&] {
        HANDLE published = cancel;
        HANDLE copy = nullptr;
        if (cancel && ::DuplicateHandle(::GetCurrentProcess(), cancel, ::GetCurrentProcess(), &copy, 0, FALSE,
                                        DUPLICATE_SAME_ACCESS)) {
            cancelEventCopies_.emplace_back(copy);
            published = copy;
        }
        cancelEvent = published;
        const CopyItemsData& items = source.items;
        status.byteCounts.total = static_cast<uint64_t>(items.totalBytes);
        status.weightedByteCounts.total = static_cast<uint64_t>(items.weightedBytes);
        status.itemCounts.total = static_cast<uint64_t>(items.folderCount + items.fileCount);
        code = Enumerated;
        Notify();
    });
}

bool SluiceCoreEvent::Thinned(const std::atomic<uint32_t>& lastTick, const SluiceStatusItemInfo& cursor) const {
    if (cursor.State() == SluiceStatusItemInfo::Done) return false;
    // Unsigned 32-bit difference: the wrap of the counter after 49.7 days is harmless.
    return static_cast<uint32_t>(ticks_() - lastTick.load()) < ProgressIntervalMs;
}

void SluiceCoreEvent::SetReadSide(const SluiceStatus& source, uint64_t readBytes) {
    const SluiceStatusItemInfo& cursor = source.readCursor;
    status.itemCounts.read = cursor.ItemsDone();
    status.byteCounts.read = cursor.BytesDone() + readBytes;
    status.weightedByteCounts.read = cursor.WeightedBytesDone() + readBytes;
    SluiceCoreDisplayStatus::TakeSample(SluiceCoreDisplayStatusLapTime(status.copyElapsedMs, status.weightedByteCounts.read),
                                        status.lastRead, status.readLaps, status.readTotals);
    if (cursor.IsWalking()) {
        const std::wstring root = cursor.RootSourcePath();
        status.sourceFolder = IsDriveRoot(root) ? root : GetParentFolder(root, 1);
        status.readingPath = cursor.ItemSourcePath();
    } else {
        status.readingPath.clear();
    }
}

void SluiceCoreEvent::SetWriteSide(const SluiceStatus& source, uint64_t writtenBytes) {
    const SluiceStatusItemInfo& cursor = source.writeCursor;
    status.itemCounts.written = cursor.ItemsDone();
    status.byteCounts.written = cursor.BytesDone() + writtenBytes;
    status.weightedByteCounts.written = cursor.WeightedBytesDone() + writtenBytes;
    SluiceCoreDisplayStatus::TakeSample(
        SluiceCoreDisplayStatusLapTime(status.copyElapsedMs, status.weightedByteCounts.written), status.lastWrite,
        status.writeLaps, status.writeTotals);
    if (cursor.IsWalking()) {
        status.destinationFolder = cursor.DestinationFolder();
        status.writingPath = cursor.ItemDestinationPath();
    } else {
        status.writingPath.clear();
    }
}

void SluiceCoreEvent::NotifyProgress(const SluiceStatus& source, uint64_t totalMs, uint64_t copyMs, uint64_t readBytes,
                                     uint64_t writtenBytes) {
    if (Thinned(progressTick_, source.writeCursor)) return;
    Locked([&] {
        status.totalElapsedMs = totalMs;
        status.copyElapsedMs = copyMs;
        SetWriteSide(source, writtenBytes);
        SetReadSide(source, readBytes);
        code = Progress;
        Notify();
        progressTick_.store(ticks_());
    });
}

void SluiceCoreEvent::NotifyReadProgress(const SluiceStatus& source, uint64_t totalMs, uint64_t copyMs,
                                         uint64_t readBytes) {
    if (Thinned(readProgressTick_, source.readCursor)) return;
    Locked([&] {
        status.totalElapsedMs = totalMs;
        status.copyElapsedMs = copyMs;
        SetReadSide(source, readBytes);
        code = ReadProgress;
        Notify();
        readProgressTick_.store(ticks_());
    });
}

void SluiceCoreEvent::NotifyWriteProgress(const SluiceStatus& source, uint64_t totalMs, uint64_t copyMs,
                                          uint64_t writtenBytes) {
    if (Thinned(writeProgressTick_, source.writeCursor)) return;
    Locked([&] {
        status.totalElapsedMs = totalMs;
        status.copyElapsedMs = copyMs;
        SetWriteSide(source, writtenBytes);
        code = WriteProgress;
        Notify();
        writeProgressTick_.store(ticks_());
    });
}

bool SluiceCoreEvent::IsRemembered(int32_t answerGiven, int32_t applyToAllGiven) {
    // Retry is a request to try the same thing once more, never a standing decision.
    return applyToAllGiven == 1 && answerGiven != NoAnswer && answerGiven != Retry;
}

int32_t SluiceCoreEvent::AskLocked(const Marlin::Exception& exception, int32_t& applyToAllOut) {
    // Whatever an earlier delivery left there must not pass for this question's answer.
    answer = NoAnswer;
    applyToAll = 0;
    try {
        DeliverLending(Question, &exception);
    } catch (...) {
        answer = NoAnswer;
        applyToAll = 0;
        throw;
    }
    const int32_t given = answer;
    applyToAllOut = applyToAll;
    answer = NoAnswer;
    applyToAll = 0;
    return given;
}

void SluiceCoreEvent::AskRetryFile(const SluiceExceptionRetryFile& exception, int32_t& answerOut) {
    answerOut = NoAnswer;
    Locked([&] {
        // Without the platform error there is no kind to remember the answer by.
        const bool keyed = exception.inner != nullptr;
        if (keyed) {
            int32_t& remembered = retryAnswers_[exception.inner->error];
            if (remembered != NoAnswer) {
                answerOut = remembered;
                return;
            }
        }
        int32_t all = 0;
        const int32_t given = AskLocked(exception, all);
        if (keyed && IsRemembered(given, all)) retryAnswers_[exception.inner->error] = given;
        answerOut = given;
    });
}

void SluiceCoreEvent::AskWithMemory(const Marlin::Exception& exception, std::atomic<int32_t>& memory,
                                    int32_t& answerOut) {
    answerOut = memory.load();
    if (answerOut != NoAnswer) return;
    Locked([&] {
        // A question of the same kind may have been answered for all while this thread
        // waited for the lock.
        answerOut = memory.load();
        if (answerOut != NoAnswer) return;
        int32_t all = 0;
        const int32_t given = AskLocked(exception, all);
        if (IsRemembered(given, all)) memory.store(given);
        answerOut = given;
    });
}

void SluiceCoreEvent::AskEncrypted(const SluiceExceptionEncrypted& exception, int32_t& answerOut) {
    AskWithMemory(exception, IsFolder(exception.attributes) ? encryptedFolderAnswer_ : encryptedFileAnswer_, answerOut);
}

void SluiceCoreEvent::AskOverwrite(const SluiceExceptionOverwrite& exception, int32_t& answerOut) {
    const bool sourceFolder = IsFolder(exception.sourceAttributes);
    const bool destinationFolder = IsFolder(exception.destinationAttributes);
    std::atomic<int32_t>& memory = sourceFolder ? (destinationFolder ? folderOverFolderAnswer_ : folderOverFileAnswer_)
                                                : (destinationFolder ? fileOverFolderAnswer_ : fileOverFileAnswer_);
    AskWithMemory(exception, memory, answerOut);
}

void SluiceCoreEvent::Relay(int32_t relayedCode, const SluiceCoreDisplayStatus& received, int32_t& answerOut,
                            int32_t& applyToAllOut) {
    answerOut = NoAnswer;
    applyToAllOut = 0;
    Locked([&] {
        // A copy borrows the received exception, which is what lending means here.
        status = received;
        answer = NoAnswer;
        applyToAll = 0;
        try {
            code = relayedCode;
            Notify();
        } catch (...) {
            status.SetException(nullptr);
            answer = NoAnswer;
            applyToAll = 0;
            throw;
        }
        answerOut = answer;
        applyToAllOut = (answer != NoAnswer && answer != Retry) ? applyToAll : 0;
        status.SetException(nullptr);
        answer = NoAnswer;
        applyToAll = 0;
    });
}

}  // namespace Marlin::Sluice
