#include "RunSluiceServer.h"

#include "HandOffAnswer.h"
#include "HandOffReply.h"

namespace Marlin {

static_assert(RunSluiceServer::kLaunchRecordSize == (sizeof(void*) == 8 ? 112 : 60),
              "the launch record has the platform's size");

RunSluiceServer::RunSluiceServer()
    : PipeCommandServer(HandOffReply::PipeName(GetCurrentProcessId(), GetCurrentThreadId()), 1024) {}

RunSluiceServer::~RunSluiceServer() {
    process_.reset();
    launch_ = SHELLEXECUTEINFOW{};
}

void RunSluiceServer::SetJob(const std::wstring* copyTool, const std::vector<std::wstring>* sources,
                             const std::wstring* target, const int32_t* moveFlag) {
    copyTool_ = copyTool;
    sources_ = sources;
    target_ = target;
    moveFlag_ = moveFlag;
}

int RunSluiceServer::HandOff() {
    if (!copyTool_ || !sources_ || !target_ || !moveFlag_) return 0;
    if (!Create()) return 1;
    if (Launch() && ConnectCopyTool()) {
        std::vector<uint8_t> message;
        while (Read(message)) OnCommand(message);
    }
    process_.reset();
    launch_ = SHELLEXECUTEINFOW{};
    Close();
    return 1;
}

bool RunSluiceServer::Launch() {
    const std::wstring parameters = HandOffReply::Parameters(PipeName());
    launch_ = SHELLEXECUTEINFOW{};
    launch_.cbSize = kLaunchRecordSize;
    // No message box from the Explorer's thread when the copy tool cannot start: the
    // drop handler shows the user nothing.
    launch_.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    launch_.lpVerb = L"open";
    launch_.lpFile = copyTool_->c_str();
    launch_.lpParameters = parameters.c_str();
    launch_.nShow = SW_SHOW;
    const BOOL started = ShellExecuteExW(&launch_);
    process_.reset(launch_.hProcess);
    launch_.lpParameters = nullptr;  // the text goes with this scope
    // A start that gives no process handle (a hand-over to a running instance through
    // DDE, for one) leaves nothing to watch: the waits could never end, so it counts as
    // a failed start.
    return started && reinterpret_cast<INT_PTR>(launch_.hInstApp) > 32 && process_;
}

bool RunSluiceServer::ConnectCopyTool() {
    const DWORD copyTool = GetProcessId(process_.get());
    for (;;) {
        if (Connect() != 1) return false;
        ULONG client = 0;
        if (GetNamedPipeClientProcessId(Handle(), &client) && client == copyTool) return true;
        // Someone else came first: drop it unanswered, and wait for the copy tool on a
        // fresh instance.
        if (!Create()) return false;
    }
}

int RunSluiceServer::WaitIo(HANDLE event) {
    HANDLE handles[3] = {event, StopEvent(), process_.get()};
    const DWORD count = process_ ? 3 : 2;
    const DWORD r = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0) return 1;
    if (r == WAIT_OBJECT_0 + 1) Close();
    return 0;
}

void RunSluiceServer::OnCommand(const std::vector<uint8_t>& message) {
    const std::vector<uint8_t> reply =
        HandOffAnswer::For(message.data(), message.size(), HandOffAnswer::Job{*sources_, *target_, *moveFlag_});
    Write(reply.data(), static_cast<uint32_t>(reply.size()));
}

}  // namespace Marlin
