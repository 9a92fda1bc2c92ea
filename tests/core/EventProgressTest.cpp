// The event's deliveries that carry progress: thinning to one per 500 ms per kind on a
// steered clock, the payload taken from the cursors, the totals and the cancel event of
// 2100, and the lock that keeps deliveries from several threads apart.
#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "UniqueHandle.h"
#include "RecordingObserver.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceStatus.h"
#include "TestHarness.h"

using Marlin::Sluice::CopyItemData;
using Marlin::Sluice::CopyItemKind;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;
using Marlin::Sluice::SluiceStatus;
using Marlin::Sluice::SluiceStatusItemInfo;
using Lap = Marlin::Sluice::SluiceCoreDisplayStatusLapTime;
using namespace coretest;

namespace {

// Milliseconds that only move when the test moves them.
struct SteeredClock {
    std::atomic<uint32_t> now{100000};
    SluiceCoreEvent::TickSource Source() {
        return [this] { return now.load(); };
    }
};

// C:\q\S holding b (5000 bytes) and the empty c; a second source C:\q\x.txt.
void FillItems(SluiceStatus& status) {
    status.items.AddRoot(L"C:\\q\\S");
    REQUIRE(status.items.AddItem(CopyItemData(L"C:\\q\\S", 0, CopyItemKind::Folder)));
    REQUIRE(status.items.AddItem(CopyItemData(L"C:\\q\\S\\b", 5000, CopyItemKind::File)));
    REQUIRE(status.items.AddItem(CopyItemData(L"C:\\q\\S\\c", 0, CopyItemKind::File)));
    status.items.AddRoot(L"C:\\q\\x.txt");
    REQUIRE(status.items.AddItem(CopyItemData(L"C:\\q\\x.txt", 10, CopyItemKind::File)));
}

void Finish(SluiceStatus& status) {
    while (status.readCursor.IsWalking()) status.AdvanceRead();
    while (status.writeCursor.IsWalking()) status.AdvanceWrite();
}

enum class Side { Read, Write, Both };

void SendProgress(SluiceCoreEvent& event, const SluiceStatus& status, Side side, uint64_t ms) {
    switch (side) {
        case Side::Read: event.NotifyReadProgress(status, ms, ms, 1); break;
        case Side::Write: event.NotifyWriteProgress(status, ms, ms, 1); break;
        case Side::Both: event.NotifyProgress(status, ms, ms, 1, 1); break;
    }
}

}  // namespace

TEST_CASE("progress every 10 ms reaches the observer at most once per 500 ms, and every time once the cursor is done") {
    for (Side side : {Side::Read, Side::Write, Side::Both}) {
        CONTEXT("side " + std::to_string(static_cast<int>(side)));
        SteeredClock clock;
        SluiceCoreEvent event(clock.Source());
        std::vector<uint32_t> deliveredAt;
        RecordingObserver observer([&](SluiceCoreEvent&, const Delivery&) { deliveredAt.push_back(clock.now.load()); });
        event.Attach(&observer);
        SluiceStatus status;
        FillItems(status);
        status.BeginRead(L"D:\\dst");
        status.BeginWrite(L"D:\\dst");

        const uint32_t start = clock.now.load();
        for (int i = 0; i < 200; ++i) {  // two seconds
            SendProgress(event, status, side, static_cast<uint64_t>(i) * 10);
            clock.now += 10;
        }
        std::string offsets;
        for (uint32_t t : deliveredAt) offsets += (offsets.empty() ? "" : " ") + std::to_string(t - start);
        CHECK_EQ(offsets, std::string("0 500 1000 1500"));

        // Done: the last progress of a side must never be swallowed.
        Finish(status);
        deliveredAt.clear();
        for (int i = 0; i < 10; ++i) {
            SendProgress(event, status, side, 2000 + static_cast<uint64_t>(i) * 10);
            clock.now += 10;
        }
        CHECK_EQ(deliveredAt.size(), size_t(10));
    }
}

TEST_CASE("each progress kind is thinned on its own clock and its own cursor") {
    SteeredClock clock;
    SluiceCoreEvent event(clock.Source());
    RecordingObserver observer;
    event.Attach(&observer);
    SluiceStatus status;
    FillItems(status);
    status.BeginRead(L"D:\\dst");
    // The writer is done, the reader still walks: 3001 and 2101 (which goes by the write
    // cursor) are always delivered, 3000 is thinned.
    status.BeginWrite(L"D:\\dst");
    while (status.writeCursor.IsWalking()) status.AdvanceWrite();

    for (int i = 0; i < 100; ++i) {  // one second
        event.NotifyReadProgress(status, 0, 0, 0);
        event.NotifyWriteProgress(status, 0, 0, 0);
        event.NotifyProgress(status, 0, 0, 0, 0);
        clock.now += 10;
    }
    int reads = 0, writes = 0, both = 0;
    for (int32_t c : observer.Codes()) {
        reads += c == SluiceCoreEvent::ReadProgress;
        writes += c == SluiceCoreEvent::WriteProgress;
        both += c == SluiceCoreEvent::Progress;
    }
    CHECK_EQ(reads, 2);
    CHECK_EQ(writes, 100);
    CHECK_EQ(both, 100);
}

TEST_CASE("thinning measures from the end of the last delivery and survives the wrap of the tick counter") {
    struct Row {
        const char* name;
        uint32_t start;
        uint32_t heldFor;  // how long the observer keeps the delivery
        std::vector<std::pair<uint32_t, bool>> later;  // offset from start, delivered?
    } rows[] = {
        {"plain", 100000, 0, {{499, false}, {500, true}, {999, false}, {1000, true}}},
        {"the observer held the first delivery 300 ms", 10000, 300, {{600, false}, {799, false}, {800, true}}},
        {"across the wrap", 0xFFFFFE00u, 0, {{0x100, false}, {0x1F3, false}, {0x1F4, true}, {0x300, false}}},
        {"across the wrap while held", 0xFFFFFF00u, 0x200, {{0x300, false}, {0x3F4, true}}},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        SteeredClock clock;
        clock.now = row.start;
        SluiceCoreEvent event(clock.Source());
        bool first = true;
        RecordingObserver observer([&](SluiceCoreEvent&, const Delivery&) {
            if (first) clock.now += row.heldFor;
            first = false;
        });
        event.Attach(&observer);
        SluiceStatus status;
        FillItems(status);
        status.BeginRead(L"D:\\dst");

        event.NotifyReadProgress(status, 0, 0, 0);
        REQUIRE_EQ(observer.Count(), size_t(1));
        for (const auto& [offset, delivered] : row.later) {
            CONTEXT("at +" + std::to_string(offset));
            clock.now = row.start + offset;
            const size_t before = observer.Count();
            event.NotifyReadProgress(status, 0, 0, 0);
            CHECK_EQ(observer.Count() - before, size_t(delivered ? 1 : 0));
        }
    }
}

TEST_CASE("progress carries the cursors' counters and items, the current item's bytes, and a speed sample") {
    SteeredClock clock;
    SluiceCoreEvent event(clock.Source());
    RecordingObserver observer;
    event.Attach(&observer);
    SluiceStatus status;
    FillItems(status);
    status.BeginRead(L"D:\\dst");
    status.AdvanceRead();  // past S, at b
    status.BeginWrite(L"D:\\dst");
    status.AdvanceWrite();  // past S, at b

    event.NotifyReadProgress(status, 900, 800, 1200);
    clock.now += 500;
    event.NotifyWriteProgress(status, 1000, 900, 700);
    clock.now += 500;
    status.AdvanceRead();  // past b, at c
    event.NotifyReadProgress(status, 1500, 1400, 0);
    const std::vector<Delivery> seen = observer.Deliveries();
    REQUIRE_EQ(seen.size(), size_t(3));

    const auto& r = seen[0].status;
    CHECK_EQ(seen[0].code, int32_t(SluiceCoreEvent::ReadProgress));
    CHECK_EQ(r.totalElapsedMs, uint64_t(900));
    CHECK_EQ(r.copyElapsedMs, uint64_t(800));
    CHECK_EQ(r.itemCounts.read, uint64_t(1));  // S
    CHECK_EQ(r.byteCounts.read, uint64_t(1200));
    CHECK_EQ(r.weightedByteCounts.read, uint64_t(1200));
    CHECK_EQ(r.sourceFolder, std::wstring(L"C:\\q"));
    CHECK_EQ(r.readingPath, std::wstring(L"C:\\q\\S\\b"));
    CHECK(r.readTotals == std::vector<Lap>{Lap(800, 1200)});
    CHECK(r.readLaps == std::vector<Lap>{Lap(800, 1200)});
    CHECK(r.writeTotals.empty());
    CHECK_EQ(r.writingPath, std::wstring());

    const auto& w = seen[1].status;
    CHECK_EQ(w.itemCounts.written, uint64_t(1));
    CHECK_EQ(w.byteCounts.written, uint64_t(700));
    CHECK_EQ(w.destinationFolder, std::wstring(L"D:\\dst"));
    CHECK_EQ(w.writingPath, std::wstring(L"D:\\dst\\S\\b"));
    CHECK(w.writeTotals == std::vector<Lap>{Lap(900, 700)});
    // The read side stays as the last read delivery left it.
    CHECK_EQ(w.readingPath, std::wstring(L"C:\\q\\S\\b"));

    // b is done now: its 5000 bytes count from the cursor, and the lap is the difference.
    const auto& r2 = seen[2].status;
    CHECK_EQ(r2.itemCounts.read, uint64_t(2));
    CHECK_EQ(r2.byteCounts.read, uint64_t(5000));
    CHECK_EQ(r2.weightedByteCounts.read, uint64_t(5000));
    CHECK_EQ(r2.readingPath, std::wstring(L"C:\\q\\S\\c"));
    // The lists keep only their newest sample: it is all the speed and time-left figures read.
    CHECK(r2.readTotals == (std::vector<Lap>{Lap(1400, 5000)}));
    CHECK(r2.readLaps == (std::vector<Lap>{Lap(600, 3800)}));
    CHECK(r2.lastRead == Lap(1400, 5000));
}

TEST_CASE("combined progress updates both sides; a side that no longer walks shows no current path") {
    SteeredClock clock;
    SluiceCoreEvent event(clock.Source());
    RecordingObserver observer;
    event.Attach(&observer);
    SluiceStatus status;
    status.items.AddRoot(L"C:\\");
    REQUIRE(status.items.AddItem(CopyItemData(L"C:\\", 0, CopyItemKind::Folder)));
    REQUIRE(status.items.AddItem(CopyItemData(L"C:\\e.txt", 0, CopyItemKind::File)));
    status.BeginRead(L"D:\\dst");
    status.AdvanceRead();  // at e.txt
    status.BeginWrite(L"D:\\dst");

    event.NotifyProgress(status, 10, 10, 3, 0);
    // A drive root is its own source folder.
    REQUIRE_EQ(observer.Count(), size_t(1));
    const auto& first = observer.Deliveries()[0].status;
    CHECK_EQ(first.sourceFolder, std::wstring(L"C:\\"));
    CHECK_EQ(first.readingPath, std::wstring(L"C:\\e.txt"));
    CHECK_EQ(first.itemCounts.read, uint64_t(1));
    CHECK_EQ(first.itemCounts.written, uint64_t(0));
    CHECK_EQ(first.byteCounts.read, uint64_t(3));
    CHECK_EQ(first.destinationFolder, std::wstring(L"D:\\dst"));
    CHECK(first.writingPath.size() > 0);

    Finish(status);
    event.NotifyProgress(status, 20, 20, 0, 0);
    REQUIRE_EQ(observer.Count(), size_t(2));
    const auto& last = observer.Deliveries()[1].status;
    CHECK_EQ(last.readingPath, std::wstring());
    CHECK_EQ(last.writingPath, std::wstring());
    CHECK_EQ(last.sourceFolder, std::wstring(L"C:\\"));
    // The empty file weighs 512 on both sides.
    CHECK_EQ(last.weightedByteCounts.read, uint64_t(512));
    CHECK_EQ(last.weightedByteCounts.written, uint64_t(512));
    CHECK_EQ(last.itemCounts.written, uint64_t(2));
}

TEST_CASE("2100 sets the totals and publishes a cancel handle that outlives the algorithm's own") {
    SluiceCoreEvent event;
    RecordingObserver observer;
    event.Attach(&observer);
    SluiceStatus status;
    status.items.AddRoot(L"C:\\q\\S");
    for (const auto& [path, size, kind] :
         std::vector<std::tuple<const wchar_t*, int64_t, CopyItemKind>>{{L"C:\\q\\S", 0, CopyItemKind::Folder},
                                                                         {L"C:\\q\\S\\a", 100, CopyItemKind::File},
                                                                         {L"C:\\q\\S\\a:s:$DATA", 7, CopyItemKind::Stream},
                                                                         {L"C:\\q\\S\\a", 0, CopyItemKind::DeleteFile},
                                                                         {L"C:\\q\\S\\d", 0, CopyItemKind::Folder},
                                                                         {L"C:\\q\\S\\d\\z", 0, CopyItemKind::File},
                                                                         {L"C:\\q\\S", 0, CopyItemKind::RemoveFolder}})
        REQUIRE(status.items.AddItem(CopyItemData(path, size, kind)));

    CHECK(event.cancelEvent == nullptr);
    Marlin::KernelHandle cancel(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    REQUIRE(cancel);
    event.NotifyEnumerated(status, cancel.get());
    REQUIRE_EQ(observer.Count(), size_t(1));
    const Delivery seen = observer.Deliveries()[0];
    CHECK_EQ(seen.code, int32_t(SluiceCoreEvent::Enumerated));
    CHECK_EQ(seen.status.byteCounts.total, uint64_t(107));
    CHECK_EQ(seen.status.weightedByteCounts.total, uint64_t(100 + 7 + 512));
    CHECK_EQ(seen.status.itemCounts.total, uint64_t(4));  // two folders, two files
    REQUIRE(seen.cancelEvent != nullptr);
    CHECK(seen.cancelEvent == event.cancelEvent);

    // Signalling what the dialog was given signals the algorithm's event...
    REQUIRE(SetEvent(seen.cancelEvent));
    CHECK_EQ(WaitForSingleObject(cancel.get(), 0), DWORD(WAIT_OBJECT_0));
    // ...and stays harmless after the algorithm has closed its handle at its end.
    cancel.reset();
    CHECK(SetEvent(seen.cancelEvent));
    CHECK_EQ(WaitForSingleObject(seen.cancelEvent, 0), DWORD(WAIT_OBJECT_0));
}

TEST_CASE("2001 carries the elapsed times, 2002 lends its exception for the delivery only") {
    SluiceCoreEvent event;
    RecordingObserver observer;
    event.Attach(&observer);
    event.NotifyFinished(12345, 678);
    const SluiceException failure(SluiceException::EnumerationFailed);
    event.NotifyError(&failure);
    event.NotifyError(nullptr);
    event.NotifyCode(4242);

    const std::vector<Delivery> seen = observer.Deliveries();
    REQUIRE_EQ(seen.size(), size_t(4));
    CHECK_EQ(seen[0].code, int32_t(SluiceCoreEvent::Finished));
    CHECK_EQ(seen[0].status.totalElapsedMs, uint64_t(12345));
    CHECK_EQ(seen[0].status.copyElapsedMs, uint64_t(678));
    CHECK_EQ(seen[1].code, int32_t(SluiceCoreEvent::Error));
    CHECK(seen[1].exception == &failure);
    CHECK_EQ(seen[1].ownsException, 0);
    CHECK_EQ(seen[2].code, int32_t(SluiceCoreEvent::Error));
    CHECK(seen[2].exception == nullptr);
    CHECK_EQ(seen[3].code, 4242);
    CHECK(seen[3].exception == nullptr);
    CHECK(event.status.exception() == nullptr);
}

TEST_CASE("an observer that throws leaves the lock free and takes nothing lent with it") {
    SluiceCoreEvent event;
    bool throwing = true;
    RecordingObserver observer([&](SluiceCoreEvent&, const Delivery&) {
        if (throwing) throw std::runtime_error("observer");
    });
    event.Attach(&observer);
    const SluiceException failure(SluiceException::BufferPoolFailed);
    bool thrown = false;
    try {
        event.NotifyError(&failure);
    } catch (const std::runtime_error&) {
        thrown = true;
    }
    CHECK(thrown);
    CHECK(event.status.exception() == nullptr);

    // Another thread can still deliver; a lock left taken would hang it (and the test).
    throwing = false;
    std::thread other([&] { event.NotifyCode(SluiceCoreEvent::Ended); });
    other.join();
    CHECK_EQ(observer.CodeText(), std::string("2002 1001"));
}

TEST_CASE("deliveries from several threads never overlap") {
    SluiceCoreEvent event;
    std::atomic<int> inside{0}, most{0};
    RecordingObserver observer([&](SluiceCoreEvent&, const Delivery&) {
        int now = ++inside;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        Sleep(0);  // give another thread the chance to come in if it could
        --inside;
    });
    event.Attach(&observer);
    SluiceStatus status;  // nothing to walk: both cursors done, so no progress is thinned
    status.BeginRead(L"D:\\dst");
    status.BeginWrite(L"D:\\dst");

    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                if (t == 0) event.NotifyReadProgress(status, i, i, 0);
                if (t == 1) event.NotifyWriteProgress(status, i, i, 0);
                if (t == 2) event.NotifyCode(SluiceCoreEvent::CopyStarted);
            }
        });
    for (std::thread& t : threads) t.join();
    CHECK_EQ(observer.Count(), size_t(900));
    CHECK_EQ(most.load(), 1);
}
