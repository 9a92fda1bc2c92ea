#include "ServiceThreadController.h"

#include <utility>

namespace Marlin {

namespace {

// Guards the singleton's creation and destruction. Service main and the control handler
// run on different threads.
std::mutex& InstanceLock() {
    static std::mutex lock;
    return lock;
}

std::unique_ptr<ServiceThreadController>& InstanceSlot() {
    static std::unique_ptr<ServiceThreadController> instance;
    return instance;
}

}  // namespace

ServiceThreadController& ServiceThreadController::Instance() {
    std::lock_guard<std::mutex> guard(InstanceLock());
    auto& slot = InstanceSlot();
    if (!slot) slot.reset(new ServiceThreadController());
    return *slot;
}

void ServiceThreadController::Shutdown() {
    std::unique_ptr<ServiceThreadController> instance;
    {
        std::lock_guard<std::mutex> guard(InstanceLock());
        instance = std::move(InstanceSlot());
    }
    if (instance) instance->Stop();
}

ServiceThreadController::ServiceThreadController() : pipeName_(ServiceCommandServer::DefaultPipeName()) {}

ServiceThreadController::~ServiceThreadController() { Stop(); }

bool ServiceThreadController::Initialize() { return true; }

bool ServiceThreadController::Start() {
    std::lock_guard<std::mutex> guard(lock_);
    if (thread_) return true;
    auto thread = std::make_unique<ServiceCommandServerThread>(pipeName_);
    if (!thread->Start()) return false;
    thread_ = std::move(thread);
    return true;
}

void ServiceThreadController::Stop() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!thread_) return;
    // The thread ends on its own when its pipe cannot be created. The object and its
    // handle are ours until we drop them, so asking whether it ended is always safe, and
    // a thread that did needs no stop request.
    if (!thread_->HasEnded()) {
        thread_->Server().RequestStop();  // the flag first, then the event
        PostThreadMessageW(thread_->ThreadId(), WM_QUIT, 0, 0);
        if (!thread_->WaitEnd(StopTimeoutMs)) {
            TerminateThread(thread_->ThreadHandle(), static_cast<DWORD>(-1));
            WaitForSingleObject(thread_->ThreadHandle(), StopTimeoutMs);
            // The server may have been in the middle of an operation on its pipe or a
            // drive; tearing it down could wait on I/O that no longer belongs to anybody.
            // The process is about to end, so the object is left behind on purpose.
            (void)thread_.release();
            return;
        }
    }
    thread_.reset();
}

bool ServiceThreadController::HasThread() const {
    std::lock_guard<std::mutex> guard(lock_);
    return thread_ != nullptr;
}

HANDLE ServiceThreadController::ThreadHandle() const {
    std::lock_guard<std::mutex> guard(lock_);
    return thread_ ? thread_->ThreadHandle() : nullptr;
}

void ServiceThreadController::SetPipeName(std::wstring pipeName) {
    std::lock_guard<std::mutex> guard(lock_);
    pipeName_ = std::move(pipeName);
}

}  // namespace Marlin
