#include "ThreadStart.h"

#include <process.h>

namespace Marlin {

KernelHandle CreateSuspendedThread(ThreadBody body, void* argument) {
    return KernelHandle(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, body, argument, CREATE_SUSPENDED, nullptr)));
}

bool ResumeOrEnd(HANDLE thread) {
    if (::ResumeThread(thread) != static_cast<DWORD>(-1)) return true;
    const DWORD error = ::GetLastError();
    // It never ran, so it holds nothing; left suspended it would wait for ever. The end is
    // waited for only when it was ordered: a thread that cannot be ended either stays
    // suspended for good.
    if (::TerminateThread(thread, static_cast<DWORD>(-1))) ::WaitForSingleObject(thread, INFINITE);
    ::SetLastError(error);
    return false;
}

KernelHandle StartThread(ThreadBody body, void* argument, const std::function<void(HANDLE)>& publish) {
    KernelHandle thread = CreateSuspendedThread(body, argument);
    if (!thread) return thread;
    if (publish) publish(thread.get());
    if (!ResumeOrEnd(thread.get())) {
        if (publish) publish(nullptr);
        thread.reset();
    }
    return thread;
}

}  // namespace Marlin
