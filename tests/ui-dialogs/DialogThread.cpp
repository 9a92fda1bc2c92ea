#include "DialogThread.h"

#include <exception>
#include <string>
#include <utility>

#include "TestHarness.h"

namespace quaytest {

DialogThread::DialogThread(std::function<void()> body) : body_(std::move(body)) {
    thread_.reset(CreateThread(nullptr, 0, &DialogThread::Run, this, 0, &threadId_));
}

DialogThread::~DialogThread() {
    if (!thread_ || joined_) return;
    if (!Join(0)) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        Join(10000);
    }
}

DWORD WINAPI DialogThread::Run(void* selfData) {
    auto* self = static_cast<DialogThread*>(selfData);
    try {
        self->body_();
    } catch (const Failure&) {
        // A check in the body has already reported itself.
        self->threw_ = true;
        self->reported_ = true;
    } catch (const std::exception& e) {
        self->threw_ = true;
        self->thrown_ = e.what();
    } catch (...) {
        self->threw_ = true;
        self->thrown_ = "an exception that is no std::exception";
    }
    return 0;
}

void DialogThread::ReportThrown() {
    if (!threw_ || reported_) return;
    reported_ = true;
    ReportFailure(__FILE__, __LINE__, "the dialog thread's body threw: " + thrown_);
}

namespace {

struct Search {
    bool visibleOnly;
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    if (std::wstring(className) != L"#32770") return TRUE;
    if (search->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

HWND DialogThread::WaitForDialog(DWORD timeoutMs, bool visibleOnly) const {
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{visibleOnly};
        EnumThreadWindows(threadId_, &Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(5);
    }
}

bool DialogThread::Join(DWORD timeoutMs) {
    if (!thread_) return true;
    if (!joined_) joined_ = WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
    if (joined_) ReportThrown();
    return joined_;
}

}  // namespace quaytest
