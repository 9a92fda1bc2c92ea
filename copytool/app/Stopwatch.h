// High-resolution timing of a job and its copy phase, on the performance counter.
#pragma once

#include <cstdint>

namespace Marlin {

class Stopwatch {
public:
    Stopwatch() = default;
    virtual ~Stopwatch() = default;

    // Each throws WindowsException when the performance counter cannot be read.
    void Start();
    void Stop();
    // Start to now; 0 before Start.
    int64_t ElapsedMicroseconds() const;
    // Start to the last Stop; 0 before Start or when not stopped since. Reads no counter.
    int64_t StartToStopMicroseconds() const;

    // ticks × 1 000 000 / frequency without the intermediate product overflowing
    // (a 3 GHz counter would overflow it after 51 minutes); 0 when frequency is not positive.
    static int64_t TicksToMicroseconds(int64_t ticks, int64_t frequency);

private:
    int64_t frequency_ = 0;
    int64_t start_ = 0;
    int64_t stop_ = 0;
};

}  // namespace Marlin
