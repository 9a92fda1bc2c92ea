#include "ServiceCommandServerThread.h"

#include <process.h>

#include <utility>

namespace Marlin {

ServiceCommandServerThread::ServiceCommandServerThread(std::wstring pipeName)
    : server_(drives_, std::move(pipeName)) {}

ServiceCommandServerThread::~ServiceCommandServerThread() = default;

bool ServiceCommandServerThread::Start() {
    if (thread_) return true;
    unsigned id = 0;
    // _beginthreadex rather than CreateThread: the server uses the C runtime. Created
    // suspended so that the handle and id are ours before the thread can end.
    auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Entry, this, CREATE_SUSPENDED, &id));
    if (handle == nullptr) return false;
    thread_.reset(handle);
    threadId_ = id;
    if (ResumeThread(handle) == static_cast<DWORD>(-1)) {
        // Never ran, so it holds nothing yet; end it rather than leave it waiting forever.
        TerminateThread(handle, static_cast<DWORD>(-1));
        WaitForSingleObject(handle, INFINITE);
        thread_.reset();
        threadId_ = 0;
        return false;
    }
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
