#include "EchoServer.h"

#include <cstring>

#include "ProtocolVersion.h"

namespace pipetest {

EchoServer::EchoServer(std::wstring pipeName)
    : PipeCommandServer(std::move(pipeName), 1024),
      waitEntered_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      transferWaiting_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

int EchoServer::WaitIo(HANDLE event) {
    ++waitCalls_;
    SetEvent(waitEntered_.get());
    if (!inConnect_) SetEvent(transferWaiting_.get());
    if (abandon_ == nullptr) return PipeCommandServer::WaitIo(event);
    HANDLE handles[3] = {event, StopEvent(), abandon_};
    DWORD r = WaitForMultipleObjects(3, handles, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0) return 1;
    if (r == WAIT_OBJECT_0 + 1) Close();
    return 0;
}

int EchoServer::Connect() {
    inConnect_ = true;
    int result = PipeCommandServer::Connect();
    inConnect_ = false;
    if (result == 1) ++connections_;
    return result;
}

std::vector<size_t> EchoServer::RequestSizes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return requestSizes_;
}

void EchoServer::OnCommand(const std::vector<uint8_t>& message) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        requestSizes_.push_back(message.size());
    }
    auto status = [this](int32_t value) { Write(&value, sizeof value); };
    if (message.size() < 4) return status(1);
    int32_t command = 0;
    std::memcpy(&command, message.data(), 4);
    if (command == Marlin::ProtocolVersion::Command) {
        auto reply = Marlin::ProtocolVersion().Reply();
        Write(reply.data(), static_cast<uint32_t>(reply.size()));
    } else if (command == EchoCommand) {
        std::vector<uint8_t> reply(message);
        std::memset(reply.data(), 0, 4);
        Write(reply.data(), static_cast<uint32_t>(reply.size()));
    } else if (command != NoticeCommand) {
        status(2);
    }
}

}  // namespace pipetest
