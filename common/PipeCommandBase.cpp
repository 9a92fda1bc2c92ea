#include "PipeCommandBase.h"

namespace Marlin {

PipeCommandBase::PipeCommandBase(std::wstring pipeName, int32_t chunkSize)
    : pipeName_(std::move(pipeName)), chunkSize_(chunkSize) {}

// No operation can be pending here: every operation settles before it returns.
PipeCommandBase::~PipeCommandBase() = default;

OverlappedPipe::Wait PipeCommandBase::Waiter() {
    return [this](HANDLE event) { return WaitIo(event); };
}

void PipeCommandBase::Close() { pipe_.Close(); }

void PipeCommandBase::Attach(HANDLE pipe) { pipe_.Attach(pipe); }

int PipeCommandBase::AwaitIo(OVERLAPPED& overlapped) { return pipe_.Await(overlapped, Waiter()); }

void PipeCommandBase::SettleIo() { pipe_.Settle(); }

int PipeCommandBase::WaitIo(HANDLE event) {
    return WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
}

int PipeCommandBase::Write(const void* bytes, uint32_t length) { return pipe_.Write(bytes, length, Waiter()); }

int PipeCommandBase::Read(std::vector<uint8_t>& message) {
    message.clear();
    if (!pipe_.IsOpen() || chunkSize_ <= 0) return 0;
    const OverlappedPipe::Wait wait = Waiter();
    // A message ends when the pipe momentarily holds no more bytes.
    DWORD got = 0;
    while (pipe_.ReadChunk(message, static_cast<DWORD>(chunkSize_), wait, got)) {
        DWORD waiting = 0;
        if (!PeekNamedPipe(pipe_.Handle(), nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0) return 1;
    }
    // A stop that closed the pipe in the middle of a message leaves nobody to answer:
    // do not hand the fragment on as a request.
    if (!pipe_.IsOpen()) {
        message.clear();
        return 0;
    }
    return message.empty() ? 0 : 1;
}

}  // namespace Marlin
