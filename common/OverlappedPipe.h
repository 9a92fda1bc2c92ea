// The overlapped mechanics that every end of a pipe shares, whatever its channel: one
// pipe handle, at most one operation in flight on it, and the rule that no operation
// outlives its OVERLAPPED and buffer. Each operation is overlapped but waited for on the
// calling thread through the end's own wait, so that an end can cut a wait short (a
// server's stop event); nothing throws.
//
// How a message ends is not decided here: each channel reads chunk after chunk with
// ReadChunk and applies its own rule.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "UniqueHandle.h"

namespace Marlin {

class OverlappedPipe {
public:
    // Waits for the event of a pending operation; 1 when it was signalled. Anything else
    // abandons the operation, which is then cancelled and waited for. The wait may close
    // the pipe (Close settles the operation first).
    using Wait = std::function<int(HANDLE event)>;

    OverlappedPipe() = default;
    OverlappedPipe(const OverlappedPipe&) = delete;
    OverlappedPipe& operator=(const OverlappedPipe&) = delete;
    // Every operation settles before it returns, so nothing is pending here.
    ~OverlappedPipe() = default;

    bool IsOpen() const { return pipe_.valid(); }
    HANDLE Handle() const { return pipe_.get(); }

    // Takes ownership of a freshly created or opened pipe (INVALID_HANDLE_VALUE when that
    // failed), closing any earlier one.
    void Attach(HANDLE pipe);
    // Closes the pipe if it is open; an operation still pending on it is cancelled and
    // waited for first, so nothing completes into a buffer that has gone.
    void Close();

    // Runs wait for an operation that is pending on the pipe, and makes sure it is no
    // longer in flight when this returns anything but 1.
    int Await(OVERLAPPED& overlapped, const Wait& wait);
    // Ends the pending operation, if any: cancels it unless it has completed and waits
    // until the system no longer touches its OVERLAPPED and buffer.
    void Settle();

    // Sends bytes with a single write; 1 on success, 0 otherwise.
    int Write(const void* bytes, uint32_t length, const Wait& wait);
    // One read of up to chunk bytes, appended to message; got is how many arrived. False
    // when the read failed or no room could be had; message is as before then.
    bool ReadChunk(std::vector<uint8_t>& message, DWORD chunk, const Wait& wait, DWORD& got);

    // Tries open, and again every 10 ms while a wait begun now lasts less than
    // milliseconds; 1 as soon as one try gives 1, else 0.
    static int RetryOpen(const std::function<int()>& open, DWORD milliseconds);
    // Whether a wait begun at tick start still runs at tick now. Counts the elapsed ticks,
    // so a wait that spans the 49.7-day wrap of the tick count keeps its length.
    static bool StillWaiting(DWORD start, DWORD now, DWORD milliseconds) { return now - start < milliseconds; }

private:
    FileHandle pipe_;
    OVERLAPPED* pending_ = nullptr;  // the operation in flight on pipe_, if any
};

}  // namespace Marlin
