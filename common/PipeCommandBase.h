// One end of the system's named-pipe channel: moves one message at a time over a
// byte-mode pipe. Every operation is overlapped but waited for on the calling thread,
// so that a wait can be cut short (see WaitIo); nothing throws, failures are 0.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "OverlappedPipe.h"

namespace Marlin {

class PipeCommandBase {
public:
    PipeCommandBase(const PipeCommandBase&) = delete;
    PipeCommandBase& operator=(const PipeCommandBase&) = delete;

    virtual ~PipeCommandBase();
    // Closes the pipe if it is open. An operation still pending on it is cancelled
    // and waited for first, so nothing completes into a buffer that has gone.
    virtual void Close();
    // Reads one message: the bytes that arrive until the pipe momentarily holds no
    // more. 1 on success (the message may be partial when the peer went away midway),
    // 0 when nothing was received.
    virtual int Read(std::vector<uint8_t>& message);
    // Sends one message with a single write; non-zero on success.
    virtual int Write(const void* bytes, uint32_t length);
    // Waits for the event of a pending operation; 1 when it was signalled. Overrides may
    // also watch other handles and give 0 to abandon the operation; the caller then
    // cancels it and waits for the cancellation before its buffers go away.
    virtual int WaitIo(HANDLE event);

    bool IsOpen() const { return pipe_.IsOpen(); }
    HANDLE Handle() const { return pipe_.Handle(); }
    const std::wstring& PipeName() const { return pipeName_; }
    int32_t ChunkSize() const { return chunkSize_; }

protected:
    // pipeName is the full path, "\\.\pipe\" and the pipe's own name.
    explicit PipeCommandBase(std::wstring pipeName = std::wstring(), int32_t chunkSize = 1024);

    void SetPipeName(std::wstring pipeName) { pipeName_ = std::move(pipeName); }
    void SetChunkSize(int32_t chunkSize) { chunkSize_ = chunkSize; }
    // Takes ownership of a freshly created or opened pipe (INVALID_HANDLE_VALUE when
    // that failed), closing any earlier one.
    void Attach(HANDLE pipe);

    // Runs WaitIo for an overlapped operation that is pending on the pipe, and makes
    // sure it is no longer in flight when this returns 0.
    int AwaitIo(OVERLAPPED& overlapped);
    // Ends the pending operation, if any: cancels it unless it has completed and waits
    // until the system no longer touches its OVERLAPPED and buffer.
    void SettleIo();

private:
    // This end's WaitIo, for the shared mechanics.
    OverlappedPipe::Wait Waiter();

    OverlappedPipe pipe_;
    std::wstring pipeName_;
    int32_t chunkSize_;
};

}  // namespace Marlin
