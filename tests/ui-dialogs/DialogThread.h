// A thread of its own for a dialog under test: the body opens the dialog modally there,
// and the test thread finds the window, reads it and presses its buttons with window
// messages, as a user's input would arrive.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "UniqueHandle.h"

namespace quaytest {

class DialogThread {
public:
    explicit DialogThread(std::function<void()> body);
    // A dialog left open is ended (WM_QUIT to the thread) so a failing test cannot hang.
    ~DialogThread();
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

    DWORD ThreadId() const { return threadId_; }
    // The thread's top-level dialog window (class #32770), visible or, with
    // visibleOnly false, hidden too; null when none appeared in time.
    HWND WaitForDialog(DWORD timeoutMs = 10000, bool visibleOnly = true) const;
    // Waits for the body to return; false when it did not in time. A body that ended
    // with an exception fails the running test case here (or in the destructor, when
    // nothing joined it), since the test's thread is the one whose checks count.
    bool Join(DWORD timeoutMs = 10000);
    // True when the body ended with an exception.
    bool Threw() const { return threw_; }

private:
    static DWORD WINAPI Run(void* self);
    void ReportThrown();

    std::function<void()> body_;
    Marlin::KernelHandle thread_;
    DWORD threadId_ = 0;
    bool joined_ = false;
    bool threw_ = false;
    bool reported_ = false;
    std::string thrown_;  // what the exception said
};

}  // namespace quaytest
