// What the reader thread and the writer thread of one copy run share: the job, the event
// channel, the progress record, the buffer pool, the cancel and wake events, the two
// stopwatches and each other's thread handle.
//
// The algorithm owns every piece and keeps it alive until both threads have ended; the
// context only borrows. Each thread publishes its own handle here and clears it as its
// last action, so that the other thread can tell "still running" from "gone" without
// ever waiting on a handle that has been closed: the algorithm closes its owning handles
// only after both threads have ended.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "CopyItemsData.h"
#include "WrittenDestinations.h"

namespace Marlin {
class Stopwatch;
}

namespace Marlin::Sluice {

class ICopyBufferManager;
class SluiceCoreEvent;
class SluiceOption;
class SluiceStatus;
class SluiceStatusItemInfo;

class SluiceCopyThreadContext {
public:
    // What a wait for the other thread came back with (cancel and failures throw instead).
    enum class WaitResult {
        Woken,      // the other thread signalled this thread's wake event
        PeerEnded,  // the other thread has ended: nothing it could still do is worth waiting for
    };

    SluiceCopyThreadContext(const SluiceOption& option, SluiceCoreEvent& event, SluiceStatus& status,
                            ICopyBufferManager& manager, HANDLE cancelEvent, HANDLE readerWakeEvent,
                            HANDLE writerWakeEvent, const Marlin::Stopwatch& totalStopwatch,
                            const Marlin::Stopwatch& copyStopwatch, bool resumesReceivedStatus);
    virtual ~SluiceCopyThreadContext();
    SluiceCopyThreadContext(const SluiceCopyThreadContext&) = delete;
    SluiceCopyThreadContext& operator=(const SluiceCopyThreadContext&) = delete;

    const SluiceOption& option;
    SluiceCoreEvent& event;
    SluiceStatus& status;
    ICopyBufferManager& manager;
    const HANDLE cancelEvent;
    const HANDLE readerWakeEvent;
    const HANDLE writerWakeEvent;
    // The cursors arrived with the status from another process and continue from there.
    const bool resumesReceivedStatus;

    // Published by RunThreads before the threads run; each thread clears its own last.
    std::atomic<HANDLE> readerThread{nullptr};
    std::atomic<HANDLE> writerThread{nullptr};
    // Set before the threads are resumed when one of them could not be made: the other
    // then returns at once without touching anything.
    std::atomic<bool> abandoned{false};
    // 1 once a thread stopped because the user chose to go on with administrator rights.
    std::atomic<int32_t> elevationNeeded{0};

    // Throws SluiceException Cancelled when the cancel event is signalled, signalling it
    // again first: a thread that notices a cancel must not hide it from the other thread
    // or from later checks.
    //
    // The copy threads check after every chunk, several times per small file, and polling
    // an event is a call into the system (on Wine a round trip to the server, the most
    // expensive of all, costlier than the file's whole read). So while the copy threads
    // run, the engine thread, which has nothing else to do, waits on the cancel event for
    // them (WatchCancel): once its wait has taken the event's signal it calls SignalCancel,
    // which raises a flag and signals the event again, and this check only reads the flag.
    // A context whose cancel event nobody watches polls the event itself.
    void CheckCancel() const;
    // Raises the cancel flag and signals the cancel event: answers of cancel and
    // administrator stop both threads, and the watcher passes a cancel on this way.
    void SignalCancel() const;
    // From now on the engine thread watches the cancel event and calls SignalCancel when
    // it fires; set before the copy threads run.
    void WatchCancel();

    // Early wake-ups after work the other thread may be waiting for: the writer wake event
    // after the reader queued, the reader wake event after the writer freed. A wake event
    // is reset by its thread before each wait (WaitForPeer), so a signal given while that
    // thread has not started to wait would be undone anyway; each thread therefore says
    // when it is about to wait, and a wake-up is only signalled then. That keeps a call
    // into the system per chunk off both threads when neither waits, which across drives,
    // where each thread wakes the other after every chunk, is most of the time.
    void WakeReader() const;
    void WakeWriter() const;

    // The user's skip: the item and everything below it drop out of both threads' work,
    // a move's delete and remove markers below it included, so its source stays. A
    // skipped stream also keeps its file's source: deleting the file would take the
    // stream's data with it although the stream was never copied.
    static void MarkSkipped(const CopyItemTree::iterator_base& item);
    // Gives an item up as an error of its own, without a question (its destination is its
    // source by another name, or a file this job wrote): reports it, skips the item with
    // everything that depends on it (a move keeps the source) and wakes the other thread,
    // which may be waiting for it. The job goes on.
    void GiveUp(const CopyItemTree::iterator_base& item, uint32_t error, const std::wstring& path) const;

    // The destination files this job has written.
    WrittenDestinations written;

    uint64_t TotalMs() const;
    uint64_t CopyMs() const;

    // The wait both threads do when they cannot go on: wakes the other thread first (so
    // the two never sleep at the same time), then sleeps until the other thread wakes this
    // one, the job is cancelled or the other thread is gone. A cancel throws Cancelled, as
    // does the other thread having stopped on an error (peerCursor in state 3). Any other
    // wait result throws failureType. Once the other thread has ended, a second wait can
    // never be satisfied (nobody is left to free pool room, queue records or pass items),
    // so it throws failureType instead of spinning for ever.
    WaitResult WaitForPeer(HANDLE ownWakeEvent, HANDLE peerWakeEvent, const std::atomic<HANDLE>& peerThread,
                           const SluiceStatusItemInfo& peerCursor, int32_t failureType, bool& peerEndedBefore) const;

private:
    static void Wake(const std::atomic<bool>& waiting, HANDLE event);

    const Marlin::Stopwatch& totalStopwatch_;
    const Marlin::Stopwatch& copyStopwatch_;
    bool cancelWatched_ = false;
    mutable std::atomic<bool> cancelled_{false};
    // Set by a thread from just before it resets its wake event until its wait has returned.
    mutable std::atomic<bool> readerWaiting_{false};
    mutable std::atomic<bool> writerWaiting_{false};
};

}  // namespace Marlin::Sluice
