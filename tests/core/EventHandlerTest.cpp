// The dialog's observer on real windows: each notification reaches the window's own
// thread by SendMessageW with the event's address, a question is answered before the
// engine goes on, and nothing the window does can get back into the engine.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "UniqueHandle.h"
#include "Observable.h"
#include "SluiceCoreEvent.h"
#include "SluiceCoreEventHandler.h"
#include "SluiceException.h"
#include "SluiceExceptionOverwrite.h"
#include "TestHarness.h"

using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceCoreEventHandler;
using Marlin::Sluice::SluiceException;
using Marlin::Sluice::SluiceExceptionOverwrite;

namespace {

constexpr UINT kEngineMessage = WM_APP + 1;
constexpr DWORD kGenerousWaitMs = 30000;

struct Received {
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;
    int32_t code;
    const Marlin::Exception* exception;
};

// What the window procedure does with an engine message, per window.
struct WindowState {
    std::mutex lock;
    std::vector<Received> received;
    bool throwInside = false;
};

LRESULT CALLBACK EngineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kEngineMessage && state) {
        // The event is alive during the message only; read it here, never later.
        auto* event = reinterpret_cast<SluiceCoreEvent*>(wParam);
        {
            std::lock_guard<std::mutex> guard(state->lock);
            state->received.push_back({wParam, lParam, GetCurrentThreadId(), event->code, event->status.exception()});
        }
        if (state->throwInside) throw std::runtime_error("dialog handler failed");
        if (event->code == SluiceCoreEvent::Question) {
            event->answer = SluiceCoreEvent::Overwrite;
            event->applyToAll = 1;
        }
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(WindowState& state) {
    static const wchar_t* const className = [] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = &EngineWindowProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"QuayCoreEventHandlerTest";
        RegisterClassW(&cls);
        return cls.lpszClassName;
    }();
    HWND window = CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    return window;
}

// A UI thread with one hidden window and a message loop, as the progress dialog has.
class UiThread {
public:
    UiThread() {
        Marlin::KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_ = std::thread([this, &ready] {
            threadId_ = GetCurrentThreadId();
            window_ = MakeWindow(state);
            SetEvent(ready.get());
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        });
        WaitForSingleObject(ready.get(), kGenerousWaitMs);
    }
    ~UiThread() {
        if (IsWindow(window_)) SendMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }
    DWORD threadId() const { return threadId_; }
    std::vector<Received> Received_() {
        std::lock_guard<std::mutex> guard(state.lock);
        return state.received;
    }

    WindowState state;

private:
    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

}  // namespace

TEST_CASE("each notification reaches the window's own thread before the engine goes on, and a question gets its answer") {
    UiThread ui;
    REQUIRE(ui.window() != nullptr);
    SluiceCoreEvent event;
    SluiceCoreEventHandler handler(ui.window(), kEngineMessage);
    event.Attach(&handler);

    event.NotifyStarted();
    // Sent, not posted: the window has handled it by the time the call returns.
    std::vector<Received> seen = ui.Received_();
    REQUIRE_EQ(seen.size(), size_t(1));
    CHECK(seen[0].wParam == reinterpret_cast<WPARAM>(&event));
    CHECK_EQ(seen[0].lParam, LPARAM(0));
    CHECK_EQ(seen[0].thread, ui.threadId());
    CHECK(seen[0].thread != GetCurrentThreadId());
    CHECK_EQ(seen[0].code, int32_t(SluiceCoreEvent::Started));

    const SluiceException failure(SluiceException::NotFreeSpace);
    event.NotifyError(&failure);
    seen = ui.Received_();
    REQUIRE_EQ(seen.size(), size_t(2));
    CHECK(seen[1].exception == &failure);

    WIN32_FILE_ATTRIBUTE_DATA file{};
    const SluiceExceptionOverwrite conflict(L"C:\\s\\x", file, L"D:\\d\\x", file);
    int32_t answer = -1;
    event.AskOverwrite(conflict, answer);
    CHECK_EQ(answer, int32_t(SluiceCoreEvent::Overwrite));
    // Answered for all on the UI thread: the engine's next such conflict needs no message.
    event.AskOverwrite(conflict, answer);
    CHECK_EQ(answer, int32_t(SluiceCoreEvent::Overwrite));
    seen = ui.Received_();
    REQUIRE_EQ(seen.size(), size_t(3));
    CHECK_EQ(seen[2].code, int32_t(SluiceCoreEvent::Question));
    CHECK(seen[2].exception == &conflict);
}

TEST_CASE("a window that no longer exists gets nothing and holds nobody up") {
    WindowState state;
    HWND gone = MakeWindow(state);
    REQUIRE(gone != nullptr);
    REQUIRE(DestroyWindow(gone));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {  // the WM_QUIT of its WM_DESTROY
    }
    SluiceCoreEvent event;
    SluiceCoreEventHandler handler(gone, kEngineMessage);
    event.Attach(&handler);
    WIN32_FILE_ATTRIBUTE_DATA file{};
    int32_t answer = -1;
    event.AskOverwrite(SluiceExceptionOverwrite(L"C:\\s\\x", file, L"D:\\d\\x", file), answer);
    CHECK_EQ(answer, 0);
    CHECK(state.received.empty());
}

TEST_CASE("only the engine's event is sent to the window") {
    UiThread ui;
    SluiceCoreEventHandler handler(ui.window(), kEngineMessage);
    DesignPatterns::Observable other;
    other.Attach(&handler);
    other.Notify();
    handler.Update(nullptr);
    CHECK(ui.Received_().empty());
    CHECK(handler.Window() == ui.window());
    CHECK_EQ(handler.Message(), kEngineMessage);
}

TEST_CASE("an exception thrown by the window procedure on the notifying thread stays in the handler") {
    WindowState state;
    state.throwInside = true;
    HWND window = MakeWindow(state);
    REQUIRE(window != nullptr);
    SluiceCoreEvent event;
    SluiceCoreEventHandler handler(window, kEngineMessage);
    event.Attach(&handler);
    bool escaped = false;
    try {
        event.NotifyStarted();
        event.NotifyEnded();
    } catch (...) {
        escaped = true;
    }
    CHECK(!escaped);
    CHECK_EQ(state.received.size(), size_t(2));
    DestroyWindow(window);
}
