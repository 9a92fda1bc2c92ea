// The tests' pipe server: answers the version request, echoes command 2, takes command
// 10 (a notice) without a reply, and lets a test see where the channel waits.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "UniqueHandle.h"
#include "PipeCommandServer.h"

namespace pipetest {

class EchoServer : public Marlin::PipeCommandServer {
public:
    static constexpr int32_t EchoCommand = 2;
    static constexpr int32_t NoticeCommand = 10;

    explicit EchoServer(std::wstring pipeName);

    int WaitIo(HANDLE event) override;
    int Connect() override;
    void OnCommand(const std::vector<uint8_t>& message) override;

    // From now on WaitIo also gives up (0, pipe left open) when this event fires, as the
    // servers do that also watch a peer process.
    void SetAbandonEvent(HANDLE event) { abandon_ = event; }
    // Auto-reset; signalled each time WaitIo is entered.
    HANDLE WaitEntered() const { return waitEntered_.get(); }
    // Manual-reset; signalled once WaitIo is entered outside Connect (a pending read or write).
    HANDLE TransferWaiting() const { return transferWaiting_.get(); }
    int WaitCalls() const { return waitCalls_.load(); }
    int Connections() const { return connections_.load(); }
    std::vector<size_t> RequestSizes() const;

private:
    HANDLE abandon_ = nullptr;
    Marlin::KernelHandle waitEntered_;
    Marlin::KernelHandle transferWaiting_;
    std::atomic<int> waitCalls_{0};
    std::atomic<int> connections_{0};
    std::atomic<bool> inConnect_{false};
    mutable std::mutex lock_;
    std::vector<size_t> requestSizes_;
};

}  // namespace pipetest
