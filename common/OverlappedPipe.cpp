#include "OverlappedPipe.h"

#include <new>

namespace Marlin {

namespace {

constexpr DWORD OpenRetryMs = 10;

}  // namespace

void OverlappedPipe::Attach(HANDLE pipe) {
    Settle();
    pipe_.reset(pipe);
}

void OverlappedPipe::Close() {
    Settle();
    pipe_.reset();
}

int OverlappedPipe::Await(OVERLAPPED& overlapped, const Wait& wait) {
    pending_ = &overlapped;
    const int result = wait(overlapped.hEvent);
    // The wait may have closed the pipe (a server's stop); Close has settled the operation
    // then. An abandoned wait leaves it to us.
    if (result != 1) Settle();
    return result;
}

void OverlappedPipe::Settle() {
    OVERLAPPED* ov = pending_;
    pending_ = nullptr;
    if (ov == nullptr || !pipe_.valid()) return;
    if (!HasOverlappedIoCompleted(ov)) CancelIoEx(pipe_.get(), ov);
    // Waits on the operation's own event until the system reports the end, whether it
    // ended by completion, error or cancellation; the result itself no longer matters.
    DWORD ignored = 0;
    GetOverlappedResult(pipe_.get(), ov, &ignored, TRUE);
}

int OverlappedPipe::Write(const void* bytes, uint32_t length, const Wait& wait) {
    if (!pipe_.valid()) return 0;
    KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) return 0;
    OVERLAPPED ov{};
    ov.hEvent = event.get();

    int result = 0;
    if (WriteFile(pipe_.get(), bytes, length, nullptr, &ov)) {
        result = 1;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        if (Await(ov, wait) == 1 && pipe_.valid()) {
            DWORD written = 0;
            result = GetOverlappedResult(pipe_.get(), &ov, &written, TRUE) ? 1 : 0;
        }
    }
    Settle();
    return result;
}

bool OverlappedPipe::ReadChunk(std::vector<uint8_t>& message, DWORD chunk, const Wait& wait, DWORD& got) {
    got = 0;
    if (!pipe_.valid()) return false;
    const size_t before = message.size();
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
    if (ReadFile(pipe_.get(), message.data() + before, chunk, nullptr, &ov)) {
        ok = GetOverlappedResult(pipe_.get(), &ov, &got, FALSE) != 0;
    } else if (GetLastError() == ERROR_IO_PENDING) {
        ok = Await(ov, wait) == 1 && pipe_.valid() && GetOverlappedResult(pipe_.get(), &ov, &got, FALSE);
    }
    Settle();
    if (!ok) got = 0;
    message.resize(before + got);
    return ok;
}

int OverlappedPipe::RetryOpen(const std::function<int()>& open, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    if (open()) return 1;
    while (StillWaiting(start, GetTickCount(), milliseconds)) {
        Sleep(OpenRetryMs);
        if (open()) return 1;
    }
    return 0;
}

}  // namespace Marlin
