// The speed and time-left arithmetic of the display status, with the figures the
// progress dialog relies on, and what it does with samples that say nothing.
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "SluiceCoreDisplayStatus.h"
#include "TestHarness.h"

using Marlin::Sluice::SluiceCoreDisplayStatus;
using Lap = Marlin::Sluice::SluiceCoreDisplayStatusLapTime;
using Laps = SluiceCoreDisplayStatus::LapTimes;

// Lets CHECK_EQ show samples and lists; found by argument-dependent lookup.
namespace Marlin::Sluice {
inline std::ostream& operator<<(std::ostream& os, const SluiceCoreDisplayStatusLapTime& l) {
    return os << '(' << l.milliseconds << " ms, " << l.bytes << " B)";
}
inline std::ostream& operator<<(std::ostream& os, const std::vector<SluiceCoreDisplayStatusLapTime>& laps) {
    os << '[';
    for (const auto& l : laps) os << ' ' << l;
    return os << " ]";
}
}  // namespace Marlin::Sluice

namespace {
constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
}

TEST_CASE("Speed is the last lap in bytes per second, whole bytes per millisecond above 1000") {
    struct Row {
        const char* what;
        Laps laps;
        uint64_t speed;
    } rows[] = {
        {"no lap yet", {}, 0},
        {"999 bytes in a second: the slow form", {{1000, 999}}, 999},
        {"2999 bytes in a second: truncated per millisecond", {{1000, 2999}}, 2000},
        {"3500999 bytes in a second", {{1000, 3500999}}, 3500000},
        {"exactly 1000 bytes per second", {{1000, 1000}}, 1000},
        {"one byte in 600 ms", {{600, 1}}, 1},
        {"one byte in 3 s rounds down to nothing", {{3000, 1}}, 0},
        {"only the last lap counts", {{1000, 5000000}, {1000, 999}}, 999},
        {"a lap without time has no speed", {{0, 5000}}, 0},
        {"a rate beyond the range saturates", {{1, kMax}}, kMax},
        {"slow form of huge figures does not overflow", {{uint64_t{1} << 63, uint64_t{1} << 62}}, 500},
        {"slow form just below one byte per millisecond", {{kMax, kMax - 1}}, 999},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        CHECK_EQ(SluiceCoreDisplayStatus::Speed(row.laps), row.speed);
    }
}

TEST_CASE("SecondsLeft rounds up at the cumulative rate and gives no estimate when nothing is left") {
    struct Row {
        const char* what;
        Laps totals;
        uint64_t total, done, preset;
        int32_t result;
        uint64_t seconds;
    } rows[] = {
        {"a third of a second rounds up to 1", {{1000, 3000000}}, 1000000, 0, 0, 1, 1},
        {"an exact quotient is not rounded up", {{1000, 3000000}}, 6000000, 0, 0, 1, 2},
        {"one byte more is", {{1000, 3000000}}, 6000001, 0, 0, 1, 3},
        {"what is done counts", {{1000, 3000000}}, 10000000, 4000000, 0, 1, 2},
        {"the last sample sets the rate", {{500, 250000}, {1000, 1000000}}, 10000000, 1000000, 0, 1, 9},
        {"no sample: no estimate, seconds untouched", {}, 100, 0, 42, 0, 42},
        {"all done: no estimate", {{1000, 3000000}}, 5000, 5000, 42, 0, 42},
        {"more than all done: no estimate", {{1000, 3000000}}, 5000, 6000, 42, 0, 42},
        {"below 1000 bytes per second: an estimate without a figure", {{1000, 999}}, 5000, 0, 0, 1, 0},
        {"... which leaves the caller's seconds", {{1000, 999}}, 5000, 0, 42, 1, 42},
        {"a sample without time gives no figure", {{0, 500}}, 5000, 0, 0, 1, 0},
        {"the whole range at 1000 bytes per second", {{1000, 1000}}, kMax, 0, 0, 1, 18446744073709552ULL},
        {"a saturated rate still leaves one second", {{1, kMax}}, 10, 0, 0, 1, 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        uint64_t seconds = row.preset;
        CHECK_EQ(SluiceCoreDisplayStatus::SecondsLeft(row.totals, row.total, row.done, seconds), row.result);
        CHECK_EQ(seconds, row.seconds);
    }
}

TEST_CASE("TimeLeft adds both sides on one drive and takes the slower side otherwise") {
    // Of 10 000 000 weighted bytes: the reader, at 3 000 000 B/s, has 6 000 000 left (2 s);
    // the writer, at 1 000 000 B/s, has 9 000 000 left (9 s).
    const Laps reader{{1000, 3000000}};
    const Laps slowReader{{1000, 300000}};  // 20 s
    const Laps writer{{500, 400000}, {1000, 1000000}};
    struct Row {
        const char* what;
        uint64_t itemsTotal, itemsWritten;
        uint64_t read, written;
        Laps readTotals, writeTotals;
        std::wstring source, destination;
        int32_t result;
        uint64_t seconds;
    } rows[] = {
        {"same drive, letters in other case", 10, 2, 4000000, 1000000, reader, writer, L"C:\\a", L"c:\\b", 1, 11},
        {"different drives", 10, 2, 4000000, 1000000, reader, writer, L"C:\\a", L"D:\\b", 1, 9},
        {"different drives, slower reader", 10, 2, 4000000, 1000000, slowReader, writer, L"C:\\a", L"D:\\b", 1, 20},
        {"UNC source", 10, 2, 4000000, 1000000, reader, writer, L"\\\\srv\\share\\a", L"\\\\srv\\b", 1, 9},
        {"no source folder", 10, 2, 4000000, 1000000, reader, writer, L"", L"C:\\b", 1, 9},
        {"same first character but no letter", 10, 2, 4000000, 1000000, reader, writer, L"1:\\a", L"1:\\b", 1, 9},
        {"reader without a sample", 10, 2, 4000000, 1000000, {}, writer, L"C:\\a", L"C:\\b", 1, 9},
        {"reader done", 10, 2, 10000000, 1000000, reader, writer, L"C:\\a", L"C:\\b", 1, 9},
        {"before any write sample", 10, 2, 4000000, 0, reader, {}, L"C:\\a", L"C:\\b", 0, 0},
        {"bytes all written, items left", 10, 9, 10000000, 10000000, reader, writer, L"C:\\a", L"C:\\b", 0, 0},
        {"all items written, no samples", 5, 5, 0, 0, {}, {}, L"C:\\a", L"C:\\b", 1, 0},
        {"all items written, samples left over", 5, 5, 4000000, 1000000, reader, writer, L"C:\\a", L"C:\\b", 1, 0},
        {"both sides below 1000 B/s", 10, 2, 100, 50, {{1000, 999}}, {{1000, 500}}, L"C:\\a", L"C:\\b", 1, 1},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        SluiceCoreDisplayStatus status;
        status.itemCounts.total = row.itemsTotal;
        status.itemCounts.written = row.itemsWritten;
        status.weightedByteCounts.total = 10000000;
        status.weightedByteCounts.read = row.read;
        status.weightedByteCounts.written = row.written;
        status.readTotals = row.readTotals;
        status.writeTotals = row.writeTotals;
        status.sourceFolder = row.source;
        status.destinationFolder = row.destination;
        uint64_t seconds = 99;
        CHECK_EQ(status.TimeLeft(seconds), row.result);
        CHECK_EQ(seconds, row.seconds);
    }
}

TEST_CASE("TakeSample records every cumulative sample and the laps between them that moved, keeping the last") {
    struct Row {
        const char* what;
        Laps samples;
        Laps laps, totals;
    } rows[] = {
        {"steady progress, a pause and a stall",
         {{500, 1000}, {1000, 3000}, {1000, 3000}, {1500, 3000}, {2000, 5000}},
         // The stall at 1500 ms adds no lap, yet the next lap starts there.
         {{500, 1000}, {500, 2000}, {500, 2000}},
         {{500, 1000}, {1000, 3000}, {1000, 3000}, {1500, 3000}, {2000, 5000}}},
        {"samples without time or bytes before the first lap",
         {{0, 0}, {0, 500}, {400, 0}, {1000, 2000}, {1500, 2600}},
         // Until a lap exists, the lap is the cumulative sample itself.
         {{1000, 2000}, {500, 600}},
         {{1000, 2000}, {1500, 2600}}},
        {"counters that went back make no lap",
         {{1000, 5000}, {1500, 4000}, {2000, 6000}},
         {{1000, 5000}, {500, 2000}},
         {{1000, 5000}, {1500, 4000}, {2000, 6000}}},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        Lap previous;
        Laps laps, totals;
        // What each sample recorded: a list's single entry is marked before the call, so
        // an entry equal to the one before still shows as recorded.
        const Lap mark(~uint64_t{0}, ~uint64_t{0});
        Laps recordedLaps, recordedTotals;
        for (const Lap& sample : row.samples) {
            if (!laps.empty()) laps.back() = mark;
            if (!totals.empty()) totals.back() = mark;
            SluiceCoreDisplayStatus::TakeSample(sample, previous, laps, totals);
            CHECK_EQ(previous, sample);
            // Only the last entry is ever read, so only it is kept.
            CHECK(laps.size() <= 1 && totals.size() <= 1);
            if (!laps.empty() && laps.back() != mark) recordedLaps.push_back(laps.back());
            if (!totals.empty() && totals.back() != mark) recordedTotals.push_back(totals.back());
        }
        CHECK_EQ(recordedLaps, row.laps);
        CHECK_EQ(recordedTotals, row.totals);
    }
}

TEST_CASE("speed and time left follow the samples as the engine's progress feeds them") {
    SluiceCoreDisplayStatus status;
    status.itemCounts = {10, 0, 0};
    status.weightedByteCounts.total = 10000000;
    status.sourceFolder = L"C:\\src";
    status.destinationFolder = L"C:\\dst";
    auto progress = [&status](uint64_t ms, uint64_t read, uint64_t written) {
        status.copyElapsedMs = ms;
        status.weightedByteCounts.read = read;
        status.weightedByteCounts.written = written;
        SluiceCoreDisplayStatus::TakeSample({ms, read}, status.lastRead, status.readLaps, status.readTotals);
        SluiceCoreDisplayStatus::TakeSample({ms, written}, status.lastWrite, status.writeLaps, status.writeTotals);
    };

    uint64_t seconds = 0;
    CHECK_EQ(status.TimeLeft(seconds), 0);
    CHECK_EQ(SluiceCoreDisplayStatus::Speed(status.writeLaps), uint64_t{0});

    progress(500, 2000000, 0);  // the writer has nothing yet
    CHECK_EQ(status.TimeLeft(seconds), 0);

    progress(1000, 4000000, 2500000);
    progress(1500, 5000000, 4000000);
    // The writer's last lap: 1 500 000 bytes in 500 ms.
    CHECK_EQ(SluiceCoreDisplayStatus::Speed(status.writeLaps), uint64_t{3000000});
    // Reader: 5 000 000 left at 3 333 B/ms -> 2 s; writer: 6 000 000 left at 2 666 B/ms -> 3 s.
    REQUIRE_EQ(status.TimeLeft(seconds), 1);
    CHECK_EQ(seconds, uint64_t{5});
    status.destinationFolder = L"D:\\dst";
    REQUIRE_EQ(status.TimeLeft(seconds), 1);
    CHECK_EQ(seconds, uint64_t{3});

    status.itemCounts.written = 10;
    REQUIRE_EQ(status.TimeLeft(seconds), 1);
    CHECK_EQ(seconds, uint64_t{0});
}
