#include "ServiceCommandServerThread.h"

#include <utility>

#include "ThreadStart.h"

namespace Marlin {

ServiceCommandServerThread::ServiceCommandServerThread(std::wstring pipeName)
    : server_(drives_, std::move(pipeName)) {}

ServiceCommandServerThread::~ServiceCommandServerThread() = default;

bool ServiceCommandServerThread::Start() {
    if (thread_) return true;
    thread_ = StartThread(&Entry, this);
    if (!thread_) return false;
    threadId_ = ::GetThreadId(thread_.get());
    return true;
}

bool ServiceCommandServerThread::HasEnded() const {
    return !thread_ || WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0;
}

bool ServiceCommandServerThread::WaitEnd(DWORD milliseconds) const {
    return !thread_ || WaitForSingleObject(thread_.get(), milliseconds) == WAIT_OBJECT_0;
}

unsigned __stdcall ServiceCommandServerThread::Entry(void* self) {
    auto* thread = static_cast<ServiceCommandServerThread*>(self);
    const int result = thread->server_.Run();
    thread->runResult_.store(result);
    // Whatever Run gave, the thread ends here: it has no message loop to enter.
    return static_cast<unsigned>(result);
}

}  // namespace Marlin
