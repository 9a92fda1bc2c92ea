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
    return OverlappedPipe::RetryOpen([this] { return Open(); }, milliseconds);
}

}  // namespace Marlin
