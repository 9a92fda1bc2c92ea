// The one way the product starts a thread: made suspended, published where its users will
// look for it, then resumed. A thread that was made but cannot be resumed has not run a
// single instruction of ours, so it is ended there and waited for, and nothing of what it
// was given is ever touched by it.
//
// Every thread runs its body through _beginthreadex rather than CreateThread: the bodies use
// the C runtime.
#pragma once

#include <windows.h>

#include <functional>

#include "UniqueHandle.h"

namespace Marlin {

using ThreadBody = unsigned(__stdcall*)(void* argument);

// The first step alone, for a starter that has more to do between making and resuming
// (two threads that must both exist before either runs). Empty when no thread could be
// made; the last error says why.
KernelHandle CreateSuspendedThread(ThreadBody body, void* argument);

// The last step: lets a suspended thread run. False when it cannot; the thread has then
// been ended before it ran and has ended when this returns (its handle stays the caller's).
// A thread that cannot even be ended stays suspended for good, so it never runs either.
bool ResumeOrEnd(HANDLE thread);

// All steps for one thread. publish, when given, sees the handle after the thread is made
// and before it runs, and sees null again when the thread could not be resumed. Empty when
// the thread could not be made or resumed.
KernelHandle StartThread(ThreadBody body, void* argument, const std::function<void(HANDLE)>& publish = {});

}  // namespace Marlin
