// How a copy thread waits for the other one: it wakes the other first, a cancel is seen by
// everybody after it, and a partner that is gone for good ends the wait instead of a
// spin that never ends.
#include <windows.h>

#include <process.h>

#include <atomic>
#include <functional>
#include <thread>

#include "CopyBufferManagerSemaphoreLock.h"
#include "UniqueHandle.h"
#include "SluiceCopyThreadContext.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceOption.h"
#include "SluiceStatus.h"
#include "Stopwatch.h"
#include "TestHarness.h"

using namespace Marlin::Sluice;
using WaitResult = SluiceCopyThreadContext::WaitResult;

namespace {

Marlin::KernelHandle Event() { return Marlin::KernelHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }

bool Signalled(const Marlin::KernelHandle& event) { return WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0; }

unsigned __stdcall WaitOn(void* event) {
    WaitForSingleObject(static_cast<HANDLE>(event), 60000);
    return 0;
}

// Everything a context borrows, and the context, with a stand-in for the other thread.
struct Bench {
    SluiceOption option;
    SluiceCoreEvent event;
    SluiceStatus status;
    CopyBufferManagerSemaphoreLock manager;
    Marlin::KernelHandle cancel = Event(), readerWake = Event(), writerWake = Event();
    Marlin::Stopwatch total, copy;
    SluiceCopyThreadContext context{option, event, status, manager, cancel.get(), readerWake.get(),
                                    writerWake.get(), total, copy, false};
    Marlin::KernelHandle peerExit = Event();
    Marlin::KernelHandle peer;

    // The writer, as the reader sees it: a real thread, running until ended.
    void StartPeer() {
        peer.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WaitOn, peerExit.get(), 0, nullptr)));
        REQUIRE(peer);
        context.writerThread.store(peer.get());
    }
    void EndPeer(int32_t state) {
        status.writeCursor.SetState(state);
        SetEvent(peerExit.get());
        REQUIRE_EQ(WaitForSingleObject(peer.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    WaitResult ReaderWait(bool& peerEndedBefore) {
        return context.WaitForPeer(readerWake.get(), writerWake.get(), context.writerThread, status.writeCursor,
                                   SluiceException::ReaderWaitFailed, peerEndedBefore);
    }
};

int32_t ThrownType(const std::function<void()>& action) {
    try {
        action();
    } catch (const SluiceException& e) {
        return e.type;
    }
    return 0;
}

}  // namespace

TEST_CASE("a cancel noticed by a poll stays signalled for every later check") {
    Bench bench;
    bench.context.CheckCancel();  // nothing signalled: returns
    bench.context.SignalCancel();
    for (int i = 0; i < 3; ++i) CHECK_EQ(ThrownType([&] { bench.context.CheckCancel(); }), SluiceException::Cancelled);
    CHECK(Signalled(bench.cancel));
}

TEST_CASE("a waiting thread wakes the other one first and returns when woken") {
    Bench bench;
    bench.StartPeer();
    // A wake-up from before the wait is about work already done: it must not end the wait.
    SetEvent(bench.readerWake.get());
    std::atomic<bool> peerWasWoken{false};
    std::thread partner([&] {
        // The partner does its part only once the waiter has woken it.
        peerWasWoken = WaitForSingleObject(bench.writerWake.get(), 20000) == WAIT_OBJECT_0;
        SetEvent(bench.readerWake.get());
    });
    bool ended = false;
    CHECK(bench.ReaderWait(ended) == WaitResult::Woken);
    partner.join();
    CHECK(peerWasWoken.load());
    CHECK(!ended);
    bench.EndPeer(2);
}

TEST_CASE("a cancel ends the wait and stays signalled for the other thread") {
    Bench bench;
    bench.StartPeer();
    std::thread user([&] {
        Sleep(50);
        SetEvent(bench.cancel.get());
    });
    bool ended = false;
    CHECK_EQ(ThrownType([&] { bench.ReaderWait(ended); }), SluiceException::Cancelled);
    user.join();
    CHECK(Signalled(bench.cancel));
    bench.EndPeer(3);
}

TEST_CASE("a partner that ended: one more try, then the wait fails instead of spinning; a stopped one cancels") {
    struct Row {
        const char* name;
        int32_t peerState;
        bool clearHandle;
    };
    const Row rows[] = {
        {"ended done", SluiceStatusItemInfo::Done, false},
        {"ended done, handle cleared", SluiceStatusItemInfo::Done, true},
        {"stopped on an error", SluiceStatusItemInfo::Stopped, false},
        {"stopped, handle cleared", SluiceStatusItemInfo::Stopped, true},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        Bench bench;
        bench.StartPeer();
        bench.EndPeer(row.peerState);
        if (row.clearHandle) bench.context.writerThread.store(nullptr);
        bool ended = false;
        if (row.peerState == SluiceStatusItemInfo::Stopped) {
            CHECK_EQ(ThrownType([&] { bench.ReaderWait(ended); }), SluiceException::Cancelled);
            continue;
        }
        CHECK(bench.ReaderWait(ended) == WaitResult::PeerEnded);
        CHECK(ended);
        // Nobody is left to free room: a second wait can never be satisfied.
        CHECK_EQ(ThrownType([&] { bench.ReaderWait(ended); }), SluiceException::ReaderWaitFailed);
    }
}

TEST_CASE("a wait that the system refuses fails with the waiting side's own type") {
    Bench bench;
    // A handle value that names nothing.
    bench.context.writerThread.store(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7ffc)));
    bool ended = false;
    CHECK_EQ(ThrownType([&] { bench.ReaderWait(ended); }), SluiceException::ReaderWaitFailed);
    CHECK_EQ(ThrownType([&] {
                 bench.context.WaitForPeer(bench.writerWake.get(), bench.readerWake.get(), bench.context.writerThread,
                                           bench.status.readCursor, SluiceException::WriterWaitFailed, ended);
             }),
             SluiceException::WriterWaitFailed);
}

TEST_CASE("with the engine thread watching, a check reads the watcher's flag and leaves the event alone") {
    Bench bench;
    bench.context.WatchCancel();
    // Signalled, but nobody has seen it yet: the check does not poll, and takes nothing away.
    SetEvent(bench.cancel.get());
    bench.context.CheckCancel();
    CHECK(Signalled(bench.cancel));  // consumed here, by the test
    // The watcher took the signal and passes it on: every later check throws and signals again.
    bench.context.SignalCancel();
    CHECK(Signalled(bench.cancel));
    for (int i = 0; i < 3; ++i) {
        CHECK_EQ(ThrownType([&] { bench.context.CheckCancel(); }), SluiceException::Cancelled);
        CHECK(Signalled(bench.cancel));
    }
}

TEST_CASE("with the engine thread watching, a thread's own cancel is seen by its next check at once") {
    Bench bench;
    bench.context.WatchCancel();
    bench.context.CheckCancel();
    bench.context.SignalCancel();  // an answer of cancel or administrator
    CHECK_EQ(ThrownType([&] { bench.context.CheckCancel(); }), SluiceException::Cancelled);
    CHECK(Signalled(bench.cancel));
}

TEST_CASE("an early wake-up reaches the other thread only while it waits, and then always") {
    Bench bench;
    // Neither thread waits: the wake-ups would be reset before any wait, so none is given.
    bench.context.WakeWriter();
    bench.context.WakeReader();
    CHECK(!Signalled(bench.writerWake));
    CHECK(!Signalled(bench.readerWake));

    // The reader waits; the stand-in writer wakes it the way the writer thread does after a free.
    bench.StartPeer();
    std::atomic<bool> writerWasWoken{false};
    std::thread writer([&] {
        // The reader signals the writer's wake event once it is about to sleep; from then on
        // a wake-up for the reader is given.
        writerWasWoken = WaitForSingleObject(bench.writerWake.get(), 20000) == WAIT_OBJECT_0;
        bench.context.WakeReader();
    });
    bool ended = false;
    // Without the wake-up the wait would last until the stand-in ends (PeerEnded).
    CHECK(bench.ReaderWait(ended) == WaitResult::Woken);
    writer.join();
    CHECK(writerWasWoken.load());
    CHECK(!ended);
    // The wait is over: wake-ups go nowhere again.
    bench.context.WakeReader();
    CHECK(!Signalled(bench.readerWake));
    bench.EndPeer(2);
}
