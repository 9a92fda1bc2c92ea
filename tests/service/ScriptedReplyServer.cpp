#include "ScriptedReplyServer.h"

namespace svctest {

ScriptedReplyServer::ScriptedReplyServer(std::wstring pipeName, std::vector<std::vector<uint8_t>> replies)
    : PipeCommandServer(std::move(pipeName), 1024), replies_(replies.begin(), replies.end()) {}

int ScriptedReplyServer::Connect() {
    int result = PipeCommandServer::Connect();
    if (result == 1) ++connections_;
    return result;
}

void ScriptedReplyServer::OnCommand(const std::vector<uint8_t>& message) {
    std::vector<uint8_t> reply;
    {
        std::lock_guard<std::mutex> hold(lock_);
        requests_.push_back(message);
        if (replies_.empty()) return;  // out of script: no answer
        reply = std::move(replies_.front());
        replies_.pop_front();
    }
    Write(reply.data(), static_cast<uint32_t>(reply.size()));
}

std::vector<std::vector<uint8_t>> ScriptedReplyServer::Requests() const {
    std::lock_guard<std::mutex> hold(lock_);
    return requests_;
}

}  // namespace svctest
