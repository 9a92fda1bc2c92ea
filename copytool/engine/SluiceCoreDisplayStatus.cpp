#include "SluiceCoreDisplayStatus.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace Marlin::Sluice {

namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

// Whole bytes per millisecond, as bytes per second. The truncation is deliberate: the
// speeds shown step by 1000. Samples decoded from the pipe may hold what TakeSample
// never appends, so a zero length gives 0 and a rate too large to scale saturates.
uint64_t ThousandfoldRate(const SluiceCoreDisplayStatusLapTime& sample) {
    if (sample.milliseconds == 0) return 0;
    uint64_t perMs = sample.bytes / sample.milliseconds;
    return perMs > kMax / 1000 ? kMax : perMs * 1000;
}

// floor(bytes * 1000 / milliseconds) for bytes < milliseconds, where the product may not
// fit in 64 bits. The result is below 1000, so it is counted out: bytes is added 1000
// times modulo milliseconds, each wrap adding one.
uint64_t SlowRate(uint64_t bytes, uint64_t milliseconds) {
    if (bytes <= kMax / 1000) return bytes * 1000 / milliseconds;
    uint64_t quotient = 0, remainder = 0;
    for (int i = 0; i < 1000; ++i) {
        if (bytes >= milliseconds - remainder) {
            remainder -= milliseconds - bytes;
            ++quotient;
        } else {
            remainder += bytes;
        }
    }
    return quotient;
}

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Reader and writer compete for one disk when both paths start with the same drive
// letter; a UNC path or an empty folder never matches.
bool ShareDrive(const std::wstring& source, const std::wstring& destination) {
    if (source.empty() || destination.empty()) return false;
    wchar_t s = LowerAscii(source[0]);
    return s >= L'a' && s <= L'z' && s == LowerAscii(destination[0]);
}

}  // namespace

SluiceCoreDisplayStatus::SluiceCoreDisplayStatus() = default;

SluiceCoreDisplayStatus::SluiceCoreDisplayStatus(const SluiceCoreDisplayStatus& other)
    : totalElapsedMs(other.totalElapsedMs),
      copyElapsedMs(other.copyElapsedMs),
      byteCounts(other.byteCounts),
      weightedByteCounts(other.weightedByteCounts),
      itemCounts(other.itemCounts),
      sourceFolder(other.sourceFolder),
      destinationFolder(other.destinationFolder),
      readingPath(other.readingPath),
      writingPath(other.writingPath),
      lastRead(other.lastRead),
      lastWrite(other.lastWrite),
      readLaps(other.readLaps),
      writeLaps(other.writeLaps),
      readTotals(other.readTotals),
      writeTotals(other.writeTotals),
      exception_(other.exception_),
      ownsException_(0),
      keeper_(other.keeper_) {}

SluiceCoreDisplayStatus::SluiceCoreDisplayStatus(SluiceCoreDisplayStatus&& other) noexcept
    : totalElapsedMs(other.totalElapsedMs),
      copyElapsedMs(other.copyElapsedMs),
      byteCounts(other.byteCounts),
      weightedByteCounts(other.weightedByteCounts),
      itemCounts(other.itemCounts),
      sourceFolder(std::move(other.sourceFolder)),
      destinationFolder(std::move(other.destinationFolder)),
      readingPath(std::move(other.readingPath)),
      writingPath(std::move(other.writingPath)),
      lastRead(other.lastRead),
      lastWrite(other.lastWrite),
      readLaps(std::move(other.readLaps)),
      writeLaps(std::move(other.writeLaps)),
      readTotals(std::move(other.readTotals)),
      writeTotals(std::move(other.writeTotals)),
      exception_(std::exchange(other.exception_, nullptr)),
      ownsException_(std::exchange(other.ownsException_, 0)),
      keeper_(std::move(other.keeper_)) {}

SluiceCoreDisplayStatus& SluiceCoreDisplayStatus::operator=(const SluiceCoreDisplayStatus& other) {
    if (this == &other) return *this;
    SluiceCoreDisplayStatus copy(other);
    *this = std::move(copy);
    return *this;
}

SluiceCoreDisplayStatus& SluiceCoreDisplayStatus::operator=(SluiceCoreDisplayStatus&& other) noexcept {
    if (this == &other) return *this;
    totalElapsedMs = other.totalElapsedMs;
    copyElapsedMs = other.copyElapsedMs;
    byteCounts = other.byteCounts;
    weightedByteCounts = other.weightedByteCounts;
    itemCounts = other.itemCounts;
    sourceFolder = std::move(other.sourceFolder);
    destinationFolder = std::move(other.destinationFolder);
    readingPath = std::move(other.readingPath);
    writingPath = std::move(other.writingPath);
    lastRead = other.lastRead;
    lastWrite = other.lastWrite;
    readLaps = std::move(other.readLaps);
    writeLaps = std::move(other.writeLaps);
    readTotals = std::move(other.readTotals);
    writeTotals = std::move(other.writeTotals);
    exception_ = std::exchange(other.exception_, nullptr);
    ownsException_ = std::exchange(other.ownsException_, 0);
    keeper_ = std::move(other.keeper_);  // an owned old exception goes here unless shared
    return *this;
}

SluiceCoreDisplayStatus::~SluiceCoreDisplayStatus() = default;

void SluiceCoreDisplayStatus::SetException(Marlin::Exception* lent) {
    // Lending back the very exception kept here must not delete it first.
    if (lent != keeper_.get()) keeper_.reset();
    exception_ = lent;
    ownsException_ = 0;
}

void SluiceCoreDisplayStatus::AttachException(std::unique_ptr<Marlin::Exception> owned) {
    keeper_ = std::move(owned);
    exception_ = keeper_.get();
    ownsException_ = exception_ ? 1 : 0;
}

void SluiceCoreDisplayStatus::TakeSample(const SluiceCoreDisplayStatusLapTime& current,
                                         SluiceCoreDisplayStatusLapTime& previous, LapTimes& laps,
                                         LapTimes& totals) {
    // Only the last entry of a list is ever read (Speed, SecondsLeft), so a list keeps
    // that one alone: kept whole, the lists grew by two entries a second, and every copy
    // of the status and every event relayed from an elevated instance carried them all
    // (some hundred thousand after ten hours).
    const auto keepLast = [](LapTimes& list, const SluiceCoreDisplayStatusLapTime& sample) {
        list.clear();
        list.push_back(sample);
    };
    if (current.milliseconds != 0 && current.bytes != 0) keepLast(totals, current);

    // Until a first lap exists, the lap runs from the start of the copy.
    SluiceCoreDisplayStatusLapTime lap = current;
    if (!laps.empty()) {
        // A sample behind the previous one (counters that went back) would wrap to an
        // enormous lap; it is no lap at all.
        if (current.milliseconds < previous.milliseconds || current.bytes < previous.bytes) {
            lap = SluiceCoreDisplayStatusLapTime();
        } else {
            lap = SluiceCoreDisplayStatusLapTime(current.milliseconds - previous.milliseconds,
                                                 current.bytes - previous.bytes);
        }
    }
    if (lap.milliseconds != 0 && lap.bytes != 0) keepLast(laps, lap);

    previous = current;
}

uint64_t SluiceCoreDisplayStatus::Speed(const LapTimes& laps) {
    if (laps.empty()) return 0;
    const SluiceCoreDisplayStatusLapTime& last = laps.back();
    uint64_t speed = ThousandfoldRate(last);
    // Below 1000 bytes per second the coarse form says 0; show the slow speed exactly.
    if (speed == 0 && last.milliseconds != 0) speed = SlowRate(last.bytes, last.milliseconds);
    return speed;
}

int32_t SluiceCoreDisplayStatus::SecondsLeft(const LapTimes& totals, uint64_t total, uint64_t done,
                                             uint64_t& seconds) {
    if (totals.empty() || done >= total) return 0;
    // No slow-speed fallback here: below 1000 bytes per second there is an estimate
    // without a figure, and TimeLeft shows at least one second.
    uint64_t rate = ThousandfoldRate(totals.back());
    if (rate != 0) {
        uint64_t left = total - done;
        seconds = left / rate + (left % rate != 0 ? 1 : 0);
    }
    return 1;
}

int32_t SluiceCoreDisplayStatus::TimeLeft(uint64_t& seconds) const {
    seconds = 0;
    if (itemCounts.written >= itemCounts.total) return 1;

    uint64_t reading = 0;
    if (!SecondsLeft(readTotals, weightedByteCounts.total, weightedByteCounts.read, reading)) reading = 0;
    uint64_t writing = 0;
    if (!SecondsLeft(writeTotals, weightedByteCounts.total, weightedByteCounts.written, writing)) return 0;

    // On one drive the two sides take turns at the disk, so their times add up;
    // otherwise they run side by side and the slower one decides. Neither sum
    // can overflow: a non-zero rate is at least 1000, so each part is below 2^64 / 1000.
    seconds = ShareDrive(sourceFolder, destinationFolder) ? reading + writing : std::max(reading, writing);
    if (seconds == 0) seconds = 1;
    return 1;
}

}  // namespace Marlin::Sluice
