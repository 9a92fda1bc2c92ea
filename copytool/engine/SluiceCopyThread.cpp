#include "SluiceCopyThread.h"

#include "Exception.h"
#include "ICopyBufferManager.h"
#include "SluiceCopyThreadContext.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "SluiceStatus.h"
#include "SluiceStatusItemInfo.h"
#include "TraceCaught.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

SluiceCopyThread::SluiceCopyThread(SluiceCopyThreadContext& context, const Sides& sides)
    : context_(context), cursor_(sides.cursor), sides_(sides) {}

SluiceCopyThread::~SluiceCopyThread() = default;

void SluiceCopyThread::Run() noexcept {
    auto stopWith = [&](const Marlin::Exception* failure) noexcept {
        try {
            CleanUpOnStop();
        } catch (...) {
            Marlin::TraceCaught(L"SluiceCopyThread::Run, cleaning up");
        }
        try {
            context_.event.NotifyError(failure);
        } catch (...) {
            // Not even the report got through; the cursor's state below still tells the others.
            Marlin::TraceCaught(L"SluiceCopyThread::Run, reporting");
        }
        cursor_.SetState(SluiceStatusItemInfo::Stopped);
    };
    // A run that could not make both threads abandons them before they start.
    if (!context_.abandoned.load()) {
        try {
            Loop();
        } catch (const SluiceException& stop) {
            if (stop.type == SluiceException::ElevationRequested) context_.elevationNeeded.store(1);
            stopWith(&stop);
        } catch (const Marlin::Exception& stop) {
            stopWith(&stop);
        } catch (...) {
            stopWith(nullptr);  // a failure from outside the family has nothing to show
        }
    }
    sides_.publishedThread.store(nullptr);
}

void SluiceCopyThread::Loop() {
    Begin();
    while (cursor_.IsWalking()) {
        context_.CheckCancel();
        bool mustWait = false;
        try {
            if (SkipMarked()) Step(mustWait);
        } catch (const SluiceExceptionEncrypted& question) {
            int32_t answer = SluiceCoreEvent::NoAnswer;
            context_.event.AskEncrypted(question, answer);
            ApplyAnswer(answer);
        } catch (const SluiceExceptionOverwrite& question) {
            AskOverwrite(question);
        } catch (const Marlin::WindowsFileException& failure) {
            OnFailure(failure);
        }
        NotifyProgress();
        if (mustWait) Wait();
    }
}

bool SluiceCopyThread::SkipMarked() {
    while (cursor_.IsWalking() && cursor_.Node().node() && cursor_.Node()->HasFlags(CopyItemFlags::Skip)) {
        // By item, not by path: the same file may be an item of another tree too.
        const FileBufferQueueData::ItemKey item = cursor_.Node().node();
        DropOpenItem(item);
        context_.manager.RemoveFileBuffers(cursor_.ItemSourcePath(), item);
        Advance();
    }
    return cursor_.IsWalking();
}

void SluiceCopyThread::Wait() {
    context_.WaitForPeer(sides_.wakeEvent, sides_.peerWakeEvent, sides_.peerThread, sides_.peerCursor,
                         sides_.failureType, peerEndedBefore_);
}

void SluiceCopyThread::OnFailure(const Marlin::WindowsFileException& failure) { AskRetry(failure); }

void SluiceCopyThread::AskOverwrite(const SluiceExceptionOverwrite& question) {
    int32_t answer = SluiceCoreEvent::NoAnswer;
    context_.event.AskOverwrite(question, answer);
    ApplyAnswer(answer);
}

void SluiceCopyThread::AskRetry(const Marlin::WindowsFileException& failure) {
    // The question borrows the failure, which lives until the caller's handler ends.
    const SluiceExceptionRetryFile question(failure);
    int32_t answer = SluiceCoreEvent::NoAnswer;
    context_.event.AskRetryFile(question, answer);
    ApplyAnswer(answer);
}

bool SluiceCopyThread::ApplyOwnAnswer(int32_t) { return false; }

void SluiceCopyThread::ApplyAnswer(int32_t answer) {
    const CopyItemTree::iterator item = cursor_.Node();
    switch (answer) {
    case SluiceCoreEvent::Retry:
        return;
    case SluiceCoreEvent::Skip:
        SluiceCopyThreadContext::MarkSkipped(item);
        Skipped();
        return;
    case SluiceCoreEvent::Overwrite:
        SluiceStatus::MarkItemFlags(item, CopyItemFlags::OverwriteApproved, false);
        return;
    case SluiceCoreEvent::Elevate:
        context_.SignalCancel();
        throw SluiceException(SluiceException::ElevationRequested);
    default:
        if (ApplyOwnAnswer(answer)) return;
        // Cancel, no answer, anything unknown, and answers the other thread's items take.
        context_.SignalCancel();
        throw SluiceException(SluiceException::Cancelled);
    }
}

}  // namespace Marlin::Sluice
