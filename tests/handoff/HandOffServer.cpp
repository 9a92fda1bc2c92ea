#include "HandOffServer.h"

#include "ReplyBytes.h"
#include "TestHarness.h"

namespace handofftest {

namespace {

int32_t CommandOf(const std::vector<uint8_t>& message) {
    return static_cast<int32_t>(static_cast<uint32_t>(message[0]) | (static_cast<uint32_t>(message[1]) << 8) |
                                (static_cast<uint32_t>(message[2]) << 16) | (static_cast<uint32_t>(message[3]) << 24));
}

}  // namespace

HandOffServer::HandOffServer(Script script)
    : PipeCommandServer(PipeNameForThisThread(), 1024), script_(std::move(script)) {}

HandOffServer::~HandOffServer() = default;

std::wstring HandOffServer::PipeNameForThisThread() {
    return L"\\\\.\\pipe\\{B7EA0F4A-3790-484d-BBE8-4284D7370C19}-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetCurrentThreadId());
}

HandOffServer::Conversation HandOffServer::HandOff(
    const std::function<Marlin::KernelHandle(const std::wstring& parameters)>& startProgram,
    const std::wstring& watchFolder, Marlin::KernelHandle& process) {
    conversation_ = Conversation{};
    if (!Create()) FAIL("cannot create the hand-off pipe: error " + std::to_string(GetLastError()));
    watch_.reset(FindFirstChangeNotificationW(
        watchFolder.c_str(), TRUE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
            FILE_NOTIFY_CHANGE_LAST_WRITE));
    if (!watch_) FAIL("cannot watch the destination: error " + std::to_string(GetLastError()));

    process = startProgram(L"/FCP " + PipeName());
    process_ = process.get();
    if (Connect() == 1) {
        std::vector<uint8_t> message;
        while (Read(message)) OnCommand(message);
    }
    Close();
    process_ = nullptr;
    return conversation_;
}

bool HandOffServer::DestinationChangedSince() const {
    return watch_ && WaitForSingleObject(watch_.get(), 0) == WAIT_OBJECT_0;
}

void HandOffServer::OnCommand(const std::vector<uint8_t>& message) {
    std::vector<uint8_t> reply;
    int32_t command = -1;
    if (message.size() < 4) {
        reply = ReplyBytes::Status(1);
    } else {
        command = CommandOf(message);
        if (message.size() != 4) {
            reply = ReplyBytes::Status(2);
        } else if (command == 1) {
            const uint32_t* v = script_.version;
            reply = ReplyBytes::Version(v[0], v[1], v[2], v[3]);
        } else if (command == 2) {
            reply = ReplyBytes::Sources(script_.sources);
        } else if (command == 3) {
            reply = ReplyBytes::Destination(script_.destination);
        } else if (command == 4) {
            reply = ReplyBytes::Operation(script_.operation);
        } else {
            reply = ReplyBytes::Status(2);
        }
    }
    conversation_.commands.push_back(command);
    if (script_.spoil) script_.spoil(command, reply);
    Write(reply.data(), static_cast<uint32_t>(reply.size()));
}

int HandOffServer::WaitIo(HANDLE event) {
    for (;;) {
        HANDLE handles[4] = {event, StopEvent(), watch_.get(), process_};
        const DWORD count = process_ ? 4 : 3;
        const DWORD r = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0) return 1;
        if (r == WAIT_OBJECT_0 + 2) {
            if (ClientStillConnected()) conversation_.changedWhileOpen = true;
            FindNextChangeNotification(watch_.get());
            continue;
        }
        if (r == WAIT_OBJECT_0 + 1) Close();
        return 0;  // stopped, or the copy tool has ended
    }
}

bool HandOffServer::ClientStillConnected() const {
    DWORD available = 0;
    if (PeekNamedPipe(Handle(), nullptr, 0, nullptr, &available, nullptr)) return true;
    const DWORD error = GetLastError();
    // Any answer but "the other end is gone" counts as connected, so a failed look can
    // only make the test stricter.
    return error != ERROR_BROKEN_PIPE && error != ERROR_PIPE_NOT_CONNECTED && error != ERROR_NO_DATA;
}

}  // namespace handofftest
