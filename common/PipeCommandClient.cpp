#include "PipeCommandClient.h"

namespace Marlin {

PipeCommandClient::PipeCommandClient(std::wstring pipeName, int32_t chunkSize)
    : PipeCommandBase(std::move(pipeName), chunkSize) {}

PipeCommandClient::~PipeCommandClient() = default;

int PipeCommandClient::Open() {
    Close();
    Attach(CreateFileW(PipeName().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr));
    return IsOpen() ? 1 : 0;
}

int PipeCommandClient::OpenWait(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    if (Open()) return 1;
    while (StillWaiting(start, GetTickCount(), milliseconds)) {
        Sleep(10);
        if (Open()) break;
    }
    return IsOpen() ? 1 : 0;
}

}  // namespace Marlin
