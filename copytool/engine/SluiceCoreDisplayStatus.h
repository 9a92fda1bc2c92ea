// The snapshot of a job's progress that every engine notification carries, and the
// integer estimator that turns its speed samples into the speed and time left shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "ReadWriteData.h"
#include "SluiceCoreDisplayStatusLapTime.h"

namespace Marlin::Sluice {

class SluiceCoreDisplayStatus {
public:
    using LapTimes = std::vector<SluiceCoreDisplayStatusLapTime>;

    SluiceCoreDisplayStatus();
    // Copies borrow the exception (ownsException 0) but share in keeping an owned one
    // alive, so a copy that outlives the status it came from never holds a dangling
    // pointer, and nothing is deleted twice.
    SluiceCoreDisplayStatus(const SluiceCoreDisplayStatus& other);
    SluiceCoreDisplayStatus(SluiceCoreDisplayStatus&& other) noexcept;
    SluiceCoreDisplayStatus& operator=(const SluiceCoreDisplayStatus& other);
    SluiceCoreDisplayStatus& operator=(SluiceCoreDisplayStatus&& other) noexcept;
    virtual ~SluiceCoreDisplayStatus();

    // Records one cumulative sample (copy time, weighted bytes) of one side: it becomes
    // the entry of totals and its difference from previous the entry of laps, leaving out
    // samples that say nothing (no time or no bytes); previous always becomes current.
    // Each list holds its latest entry only, the one Speed and SecondsLeft read.
    static void TakeSample(const SluiceCoreDisplayStatusLapTime& current, SluiceCoreDisplayStatusLapTime& previous,
                           LapTimes& laps, LapTimes& totals);
    // Bytes per second of the last lap; 0 without a lap.
    static uint64_t Speed(const LapTimes& laps);
    // Seconds until done reaches total at the rate of the last cumulative sample.
    // Returns 0 (no estimate) for an empty list or when nothing is left; a rate below
    // 1000 bytes per second gives 1 with seconds left as the caller set it.
    static int32_t SecondsLeft(const LapTimes& totals, uint64_t total, uint64_t done, uint64_t& seconds);
    // Seconds until the job is done; returns 0 while there is no estimate yet.
    int32_t TimeLeft(uint64_t& seconds) const;

    Marlin::Exception* exception() const noexcept { return exception_; }
    int32_t ownsException() const noexcept { return ownsException_; }
    // Lends an exception for one delivery; the caller keeps it alive meanwhile.
    void SetException(Marlin::Exception* lent);
    // Hands the exception over, as the pipe reader does with a received one.
    void AttachException(std::unique_ptr<Marlin::Exception> owned);

    uint64_t totalElapsedMs = 0;
    uint64_t copyElapsedMs = 0;  // time base of every sample
    ReadWriteData byteCounts;
    ReadWriteData weightedByteCounts;  // every empty file counts as 512 bytes
    ReadWriteData itemCounts;
    std::wstring sourceFolder;
    std::wstring destinationFolder;
    std::wstring readingPath;
    std::wstring writingPath;
    SluiceCoreDisplayStatusLapTime lastRead;
    SluiceCoreDisplayStatusLapTime lastWrite;
    LapTimes readLaps;
    LapTimes writeLaps;
    LapTimes readTotals;
    LapTimes writeTotals;

private:
    Marlin::Exception* exception_ = nullptr;
    int32_t ownsException_ = 0;
    // Holds an exception that this status or the status it was copied from owns.
    std::shared_ptr<Marlin::Exception> keeper_;
};

}  // namespace Marlin::Sluice
