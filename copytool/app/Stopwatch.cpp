#include "Stopwatch.h"

#include <windows.h>

#include "WindowsException.h"

namespace Marlin {

namespace {

int64_t ReadCounter() {
    LARGE_INTEGER now;
    if (!QueryPerformanceCounter(&now)) throw WindowsException(GetLastError());
    return now.QuadPart;
}

}  // namespace

void Stopwatch::Start() {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency)) throw WindowsException(GetLastError());
    frequency_ = frequency.QuadPart;
    start_ = ReadCounter();
}

void Stopwatch::Stop() { stop_ = ReadCounter(); }

int64_t Stopwatch::ElapsedMicroseconds() const {
    if (frequency_ == 0 || start_ == 0) return 0;
    return TicksToMicroseconds(ReadCounter() - start_, frequency_);
}

int64_t Stopwatch::StartToStopMicroseconds() const {
    // Not stopped since the last Start: no interval to report yet.
    if (frequency_ == 0 || start_ == 0 || stop_ < start_) return 0;
    return TicksToMicroseconds(stop_ - start_, frequency_);
}

int64_t Stopwatch::TicksToMicroseconds(int64_t ticks, int64_t frequency) {
    if (frequency <= 0) return 0;
    constexpr int64_t kPerSecond = 1000000;
    // Whole seconds first; the remainder is below the frequency, so its product fits.
    return ticks / frequency * kPerSecond + ticks % frequency * kPerSecond / frequency;
}

}  // namespace Marlin
