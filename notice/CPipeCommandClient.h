// The notice library's own pipe client: narrow names, a wait without time-out that lasts
// only while the logging service announces itself with its named mutex, and a message
// that ends with the first short chunk. The overlapped mechanics are the channel's own
// (OverlappedPipe).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "OverlappedPipe.h"

namespace Marlin {

class CPipeCommandClient {
public:
    static constexpr DWORD Infinite = 0xFFFFFFFF;

    CPipeCommandClient(std::string pipeName, std::string mutexName, int32_t chunkSize = 1024);
    CPipeCommandClient(const CPipeCommandClient&) = delete;
    CPipeCommandClient& operator=(const CPipeCommandClient&) = delete;

    virtual ~CPipeCommandClient();
    // One attempt; 1 when the pipe is open afterwards.
    virtual int Open();
    // A finite time: retries every 10 ms for up to that long. Infinite: retries for as
    // long as the peer's mutex exists, looking for it after every 11th failed try.
    virtual int OpenWait(DWORD milliseconds);
    // Closes the pipe; a pending operation is cancelled and waited for first.
    virtual void Close();
    // Sends one message with a single write; non-zero on success.
    virtual int Write(const void* bytes, uint32_t length);
    // Reads chunk after chunk; the first chunk that comes back short ends the message,
    // so a message of an exact multiple of the chunk size waits for more bytes.
    virtual int Read(std::vector<uint8_t>& message);
    // Waits for the event of a pending operation; 1 when it was signalled.
    virtual int WaitIo(HANDLE event);

    bool IsOpen() const { return pipe_.IsOpen(); }
    HANDLE Handle() const { return pipe_.Handle(); }
    const std::string& PipeName() const { return pipeName_; }
    const std::string& MutexName() const { return mutexName_; }
    int32_t ChunkSize() const { return chunkSize_; }

    // Whether a wait begun at tick start still runs at tick now, across the tick wrap.
    static bool StillWaiting(DWORD start, DWORD now, DWORD milliseconds) {
        return OverlappedPipe::StillWaiting(start, now, milliseconds);
    }

protected:
    // For clients that build the names only in their own constructor.
    void SetPipeName(std::string pipeName) { pipeName_ = std::move(pipeName); }
    void SetMutexName(std::string mutexName) { mutexName_ = std::move(mutexName); }

private:
    bool PeerAnnounced() const;
    // This client's WaitIo, for the shared mechanics.
    OverlappedPipe::Wait Waiter();

    OverlappedPipe pipe_;
    std::string pipeName_;
    std::string mutexName_;
    int32_t chunkSize_;
};

}  // namespace Marlin
