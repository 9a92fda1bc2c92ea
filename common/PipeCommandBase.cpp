#include "PipeCommandBase.h"

#include <new>

#include "UniqueHandle.h"

namespace Marlin {

PipeCommandBase::PipeCommandBase(std::wstring pipeName, int32_t chunkSize)
    : pipeName_(std::move(pipeName)), chunkSize_(chunkSize) {}

// No operation can be pending here: every operation settles before it returns.
PipeCommandBase::~PipeCommandBase() = default;

void PipeCommandBase::Close() {
    SettleIo();
    pipe_.reset();
}

void PipeCommandBase::Attach(HANDLE pipe) {
    SettleIo();
    pipe_.reset(pipe);
}

int PipeCommandBase::AwaitIo(OVERLAPPED& overlapped) {
    pending_ = &overlapped;
    int result = WaitIo(overlapped.hEvent);
    // WaitIo may have closed the pipe (a server's stop); Close has settled the
    // operation then. An abandoned wait leaves it to us.
    if (result != 1) SettleIo();
    return result;
}

void PipeCommandBase::SettleIo() {
    OVERLAPPED* ov = pending_;
    pending_ = nullptr;
    if (ov == nullptr || !pipe_.valid()) return;
    if (!HasOverlappedIoCompleted(ov)) CancelIoEx(pipe_.get(), ov);
    // Waits on the operation's own event until the system reports the end, whether it
    // ended by completion, error or cancellation; the result itself no longer matters.
    DWORD ignored = 0;
    GetOverlappedResult(pipe_.get(), ov, &ignored, TRUE);
}

int PipeCommandBase::WaitIo(HANDLE event) {
    return WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
}

int PipeCommandBase::Write(const void* bytes, uint32_t length) {
    if (!pipe_.valid()) return 0;
    KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) return 0;
    OVERLAPPED ov{};
    ov.hEvent = event.get();

    int result = 0;
    if (WriteFile(pipe_.get(), bytes, length, nullptr, &ov)) {
        result = 1;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        if (AwaitIo(ov) == 1 && pipe_.valid()) {
            DWORD written = 0;
            result = GetOverlappedResult(pipe_.get(), &ov, &written, TRUE) ? 1 : 0;
        }
    }
    SettleIo();
    return result;
}

bool PipeCommandBase::ReadChunk(std::vector<uint8_t>& message) {
    const size_t before = message.size();
    const DWORD chunk = static_cast<DWORD>(chunkSize_);
    KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) return false;
    try {
        message.resize(before + chunk);
    } catch (const std::bad_alloc&) {
        message.resize(before);
        return false;
    }
    OVERLAPPED ov{};
    ov.hEvent = event.get();

    bool ok = false;
    DWORD got = 0;
    if (ReadFile(pipe_.get(), message.data() + before, chunk, nullptr, &ov)) {
        ok = GetOverlappedResult(pipe_.get(), &ov, &got, FALSE) != 0;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        ok = AwaitIo(ov) == 1 && pipe_.valid() && GetOverlappedResult(pipe_.get(), &ov, &got, FALSE);
    }
    SettleIo();
    message.resize(ok ? before + got : before);
    return ok;
}

int PipeCommandBase::Read(std::vector<uint8_t>& message) {
    message.clear();
    if (!pipe_.valid() || chunkSize_ <= 0) return 0;
    for (;;) {
        if (!ReadChunk(message)) break;
        DWORD waiting = 0;
        if (!PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0) return 1;
    }
    // A stop that closed the pipe in the middle of a message leaves nobody to answer:
    // do not hand the fragment on as a request.
    if (!pipe_.valid()) {
        message.clear();
        return 0;
    }
    return message.empty() ? 0 : 1;
}

}  // namespace Marlin
