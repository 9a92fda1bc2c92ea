#include "CPipeCommandClient.h"

#include <new>

#include "UniqueHandle.h"

namespace Marlin {

namespace {

constexpr DWORD RetryMs = 10;
constexpr int TriesPerPresenceCheck = 11;

}  // namespace

CPipeCommandClient::CPipeCommandClient(std::string pipeName, std::string mutexName, int32_t chunkSize)
    : pipeName_(std::move(pipeName)), mutexName_(std::move(mutexName)), chunkSize_(chunkSize) {}

// Operations settle before they return, so nothing is pending here.
CPipeCommandClient::~CPipeCommandClient() = default;

int CPipeCommandClient::Open() {
    Close();
    pipe_.reset(CreateFileA(pipeName_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
    return pipe_.valid() ? 1 : 0;
}

bool CPipeCommandClient::PeerAnnounced() const {
    Marlin::KernelHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, mutexName_.c_str()));
    return mutex.valid();
}

int CPipeCommandClient::OpenWait(DWORD milliseconds) {
    if (milliseconds != Infinite) {
        const DWORD start = GetTickCount();
        if (Open()) return 1;
        while (StillWaiting(start, GetTickCount(), milliseconds)) {
            Sleep(RetryMs);
            if (Open()) break;
        }
        return IsOpen() ? 1 : 0;
    }
    // The service may hold its mutex long before its pipe accepts clients; it is gone
    // for good only when the mutex is.
    if (Open()) return 1;
    int failures = 1;
    for (;;) {
        if (failures >= TriesPerPresenceCheck) {
            if (!PeerAnnounced()) return 0;
            failures = 0;
        }
        Sleep(RetryMs);
        if (Open()) return 1;
        ++failures;
    }
}

void CPipeCommandClient::Close() {
    SettleIo();
    pipe_.reset();
}

int CPipeCommandClient::AwaitIo(OVERLAPPED& overlapped) {
    pending_ = &overlapped;
    int result = WaitIo(overlapped.hEvent);
    if (result != 1) SettleIo();
    return result;
}

void CPipeCommandClient::SettleIo() {
    OVERLAPPED* ov = pending_;
    pending_ = nullptr;
    if (ov == nullptr || !pipe_.valid()) return;
    if (!HasOverlappedIoCompleted(ov)) CancelIoEx(pipe_.get(), ov);
    DWORD ignored = 0;
    GetOverlappedResult(pipe_.get(), ov, &ignored, TRUE);
}

int CPipeCommandClient::WaitIo(HANDLE event) {
    return WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
}

int CPipeCommandClient::Write(const void* bytes, uint32_t length) {
    if (!pipe_.valid()) return 0;
    Marlin::KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
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

int CPipeCommandClient::Read(std::vector<uint8_t>& message) {
    message.clear();
    if (!pipe_.valid() || chunkSize_ <= 0) return 0;
    const DWORD chunk = static_cast<DWORD>(chunkSize_);
    for (;;) {
        const size_t before = message.size();
        Marlin::KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!event) break;
        try {
            message.resize(before + chunk);
        } catch (const std::bad_alloc&) {
            message.resize(before);
            break;
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
        if (!ok) break;
        if (got < chunk) return 1;
    }
    return message.empty() ? 0 : 1;
}

}  // namespace Marlin
