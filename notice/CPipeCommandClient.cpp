#include "CPipeCommandClient.h"

namespace Marlin {

namespace {

constexpr DWORD RetryMs = 10;
constexpr int TriesPerPresenceCheck = 11;

}  // namespace

CPipeCommandClient::CPipeCommandClient(std::string pipeName, std::string mutexName, int32_t chunkSize)
    : pipeName_(std::move(pipeName)), mutexName_(std::move(mutexName)), chunkSize_(chunkSize) {}

// Operations settle before they return, so nothing is pending here.
CPipeCommandClient::~CPipeCommandClient() = default;

OverlappedPipe::Wait CPipeCommandClient::Waiter() {
    return [this](HANDLE event) { return WaitIo(event); };
}

int CPipeCommandClient::Open() {
    Close();
    pipe_.Attach(CreateFileA(pipeName_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr));
    return pipe_.IsOpen() ? 1 : 0;
}

bool CPipeCommandClient::PeerAnnounced() const {
    KernelHandle mutex(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, mutexName_.c_str()));
    return mutex.valid();
}

int CPipeCommandClient::OpenWait(DWORD milliseconds) {
    if (milliseconds != Infinite) return OverlappedPipe::RetryOpen([this] { return Open(); }, milliseconds);
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

void CPipeCommandClient::Close() { pipe_.Close(); }

int CPipeCommandClient::WaitIo(HANDLE event) {
    return WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
}

int CPipeCommandClient::Write(const void* bytes, uint32_t length) { return pipe_.Write(bytes, length, Waiter()); }

int CPipeCommandClient::Read(std::vector<uint8_t>& message) {
    message.clear();
    if (!pipe_.IsOpen() || chunkSize_ <= 0) return 0;
    const DWORD chunk = static_cast<DWORD>(chunkSize_);
    const OverlappedPipe::Wait wait = Waiter();
    // The first chunk that comes back short ends the message.
    DWORD got = 0;
    while (pipe_.ReadChunk(message, chunk, wait, got)) {
        if (got < chunk) return 1;
    }
    return message.empty() ? 0 : 1;
}

}  // namespace Marlin
