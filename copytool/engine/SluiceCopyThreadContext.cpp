#include "SluiceCopyThreadContext.h"

#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceStatus.h"
#include "SluiceStatusItemInfo.h"
#include "Stopwatch.h"
#include "WindowsFileException.h"

namespace Marlin::Sluice {

SluiceCopyThreadContext::SluiceCopyThreadContext(const SluiceOption& option, SluiceCoreEvent& event,
                                                 SluiceStatus& status, ICopyBufferManager& manager,
                                                 HANDLE cancelEvent, HANDLE readerWakeEvent, HANDLE writerWakeEvent,
                                                 const Marlin::Stopwatch& totalStopwatch,
                                                 const Marlin::Stopwatch& copyStopwatch, bool resumesReceivedStatus)
    : option(option),
      event(event),
      status(status),
      manager(manager),
      cancelEvent(cancelEvent),
      readerWakeEvent(readerWakeEvent),
      writerWakeEvent(writerWakeEvent),
      resumesReceivedStatus(resumesReceivedStatus),
      totalStopwatch_(totalStopwatch),
      copyStopwatch_(copyStopwatch) {}

SluiceCopyThreadContext::~SluiceCopyThreadContext() = default;

void SluiceCopyThreadContext::CheckCancel() const {
    if (cancelWatched_) {
        if (!cancelled_.load()) return;
    } else if (::WaitForSingleObject(cancelEvent, 0) != WAIT_OBJECT_0) {
        return;
    }
    // A poll consumed the auto-reset signal, and a watcher may have; put it back for
    // everybody else.
    ::SetEvent(cancelEvent);
    throw SluiceException(SluiceException::Cancelled);
}

void SluiceCopyThreadContext::SignalCancel() const {
    cancelled_.store(true);
    ::SetEvent(cancelEvent);
}

void SluiceCopyThreadContext::WatchCancel() { cancelWatched_ = true; }

void SluiceCopyThreadContext::Wake(const std::atomic<bool>& waiting, HANDLE event) {
    if (waiting.load()) ::SetEvent(event);
}

void SluiceCopyThreadContext::WakeReader() const { Wake(readerWaiting_, readerWakeEvent); }

void SluiceCopyThreadContext::WakeWriter() const { Wake(writerWaiting_, writerWakeEvent); }

void SluiceCopyThreadContext::MarkSkipped(const CopyItemTree::iterator_base& item) {
    if (!item.node()) return;
    SluiceStatus::MarkItemFlags(item, CopyItemFlags::Skip, true);
    if (item->kind != CopyItemKind::Stream || !item.node()->parent) return;
    for (auto* sibling = item.node()->parent->first_child; sibling; sibling = sibling->next_sibling) {
        if (sibling->data.kind == CopyItemKind::DeleteFile) sibling->data.AddFlags(CopyItemFlags::Skip);
    }
}

void SluiceCopyThreadContext::GiveUp(const CopyItemTree::iterator_base& item, uint32_t error,
                                     const std::wstring& path) const {
    const Marlin::WindowsFileException failure(error, path);
    event.NotifyError(&failure);
    MarkSkipped(item);
    WakeReader();
    WakeWriter();
}

uint64_t SluiceCopyThreadContext::TotalMs() const {
    return static_cast<uint64_t>(totalStopwatch_.ElapsedMicroseconds() / 1000);
}

uint64_t SluiceCopyThreadContext::CopyMs() const {
    return static_cast<uint64_t>(copyStopwatch_.ElapsedMicroseconds() / 1000);
}

SluiceCopyThreadContext::WaitResult SluiceCopyThreadContext::WaitForPeer(HANDLE ownWakeEvent, HANDLE peerWakeEvent,
                                                                          const std::atomic<HANDLE>& peerThread,
                                                                          const SluiceStatusItemInfo& peerCursor,
                                                                          int32_t failureType,
                                                                          bool& peerEndedBefore) const {
    // Announced before the reset: the other thread signals this thread's wake event from
    // now on (WakeReader, WakeWriter), and a signal it gave before would be reset below.
    std::atomic<bool>* const waiting = ownWakeEvent == readerWakeEvent   ? &readerWaiting_
                                       : ownWakeEvent == writerWakeEvent ? &writerWaiting_
                                                                         : nullptr;
    if (waiting) waiting->store(true);

    // Reset before waking the other thread: a wake-up it sends from now on is one this
    // thread will see, an older one is about work this thread has already done.
    ::ResetEvent(ownWakeEvent);
    ::SetEvent(peerWakeEvent);

    // The published handle stays valid while it is published and a little beyond: the
    // algorithm closes it only after both threads have ended.
    DWORD result = WAIT_OBJECT_0;
    if (HANDLE peer = peerThread.load()) {
        const HANDLE handles[] = {peer, cancelEvent, ownWakeEvent};
        result = ::WaitForMultipleObjects(3, handles, FALSE, INFINITE);
    }
    if (waiting) waiting->store(false);
    switch (result) {
    case WAIT_OBJECT_0 + 2:
        return WaitResult::Woken;
    case WAIT_OBJECT_0 + 1:
        SignalCancel();  // the wait took the auto-reset signal; it goes back at once
        throw SluiceException(SluiceException::Cancelled);
    case WAIT_OBJECT_0:
        if (peerCursor.State() == SluiceStatusItemInfo::Stopped) throw SluiceException(SluiceException::Cancelled);
        // One more attempt is right: the other thread may have made room or queued the
        // last record just before it ended. After that nothing can change any more.
        if (peerEndedBefore) throw SluiceException(failureType);
        peerEndedBefore = true;
        return WaitResult::PeerEnded;
    default:
        throw SluiceException(failureType);
    }
}

}  // namespace Marlin::Sluice
