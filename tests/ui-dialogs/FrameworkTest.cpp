// The dialog framework under the real dialog manager: the modal run and its ways of
// ending, the dialog that stays hidden until it shows itself, the owner, message
// results, a dialog opened from inside a sent message, and the transparent label.
#include <windows.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "CDialog.h"
#include "CTransparentStatic.h"
#include "DialogControls.h"
#include "DialogThread.h"
#include "FrameworkTestIds.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

using Marlin::CDialog;
using Marlin::CTransparentStatic;
using namespace quaytest;

namespace {

constexpr UINT kShowYourself = WM_APP + 1;     // the dialog calls ShowWindow; returns 77
constexpr UINT kAnswerWithValue = WM_APP + 2;  // returns 1234 through DWLP_MSGRESULT
constexpr UINT kAskInner = WM_APP + 3;         // runs an inner dialog, returns its result
constexpr UINT kRunAgain = WM_APP + 4;         // DoModal on the running object; returns its value

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_FRAMEWORK_TEST) {}

    bool hidden = false;                // ShowsWhenModalStarts returns !hidden
    INT_PTR endAtInit = 0;              // EndDialog(endAtInit) in OnInitDialog when not 0
    bool throwAtInit = false;
    UINT timerMs = 0;                   // a timer started in OnInitDialog
    std::atomic<int> ticks{0};
    std::atomic<int> showMessages{0};   // WM_SHOWWINDOW with TRUE
    std::atomic<int> parentPaints{0};
    RECT lastPaintArea{};
    std::atomic<int> initCalls{0};
    CTransparentStatic label;

protected:
    BOOL OnInitDialog() override {
        ++initCalls;
        if (throwAtInit) throw std::runtime_error("init");
        label.SubclassDlgItem(IDC_TEST_TRANSPARENT, Hwnd());
        if (timerMs) SetTimer(Hwnd(), 1, timerMs, nullptr);
        if (endAtInit) EndDialog(endAtInit);
        return TRUE;
    }
    BOOL OnCommand(UINT id, UINT code, HWND control) override {
        if (id == IDC_TEST_THROW) throw std::runtime_error("command");
        return CDialog::OnCommand(id, code, control);
    }
    bool ShowsWhenModalStarts() const override { return !hidden; }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_TIMER:
            ++ticks;
            result = 0;
            return true;
        case WM_SHOWWINDOW:
            if (wParam) ++showMessages;
            return false;
        case WM_PAINT: {
            RECT area{};
            if (GetUpdateRect(Hwnd(), &area, FALSE)) {
                lastPaintArea = area;
                ++parentPaints;
            }
            return false;
        }
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_APPLICATION));
            return true;
        case kShowYourself:
            ShowWindow(Hwnd(), SW_SHOW);
            result = 77;
            return true;
        case kAnswerWithValue:
            result = 1234;
            return true;
        case kAskInner: {
            TestDialog inner;
            result = inner.DoModal(Hwnd());
            return true;
        }
        case kRunAgain:
            result = DoModal();
            return true;
        default:
            return false;
        }
    }
};

struct Run {
    TestDialog dialog;
    INT_PTR result = -99;
    bool windowGoneAfter = false;
};

void RunModal(Run& run, HWND owner = nullptr) {
    run.result = run.dialog.DoModal(owner);
    run.windowGoneAfter = run.dialog.Hwnd() == nullptr;
}

// Has the dialog's thread paint everything of the window that is due now, and returns
// once it has: a paint from another thread is a sent message. Afterwards nothing of the
// window waits to be painted, so a later paint can only come from a later change.
void PaintNow(HWND dialog) { RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

bool NothingToPaint(HWND window) { return GetUpdateRect(window, nullptr, FALSE) == FALSE; }

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

}  // namespace

TEST_CASE("an ordinary dialog shows itself and ends with the command that closed it") {
    struct Way {
        const char* name;
        std::function<void(HWND)> act;
        INT_PTR result;
    };
    const Way ways[] = {
        {"OK button", [](HWND d) { Click(d, IDOK); }, IDOK},
        {"Enter presses the default button", [](HWND d) { PressKey(d, VK_RETURN); }, IDOK},
        {"cancel button", [](HWND d) { Click(d, IDCANCEL); }, IDCANCEL},
        {"Esc", [](HWND d) { PressKey(d, VK_ESCAPE); }, IDCANCEL},
        {"close box", [](HWND d) { CloseBox(d); }, IDCANCEL},
        {"system menu close", [](HWND d) { SystemMenuClose(d); }, IDCANCEL},
        // Sent, so nothing arrives in the dialog thread's queue to wake its loop; the
        // first painting, which would wake it, is done first.
        {"command sent from another thread",
         [](HWND d) {
             PaintNow(d);
             SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
         },
         IDCANCEL},
    };
    for (const auto& way : ways) {
        CONTEXT(way.name);
        Run run;
        DialogThread thread([&] { RunModal(run); });
        HWND dialog = thread.WaitForDialog();
        REQUIRE(dialog != nullptr);
        CHECK_EQ(WindowText(dialog), std::wstring(L"枠組みの試験"));
        way.act(dialog);
        REQUIRE(thread.Join());
        CHECK_EQ(run.result, way.result);
        CHECK_EQ(run.dialog.initCalls.load(), 1);
        CHECK(run.windowGoneAfter);
        CHECK(!IsWindow(dialog));
    }
}

TEST_CASE("a dialog that stays hidden runs its timers and messages until it shows itself") {
    Run run;
    run.dialog.hidden = true;
    run.dialog.timerMs = 20;
    DialogThread thread([&] { RunModal(run); });
    HWND dialog = thread.WaitForDialog(10000, false);
    REQUIRE(dialog != nullptr);
    CHECK(WaitUntil([&] { return run.dialog.ticks.load() >= 3; }));
    CHECK(!IsWindowVisible(dialog));
    CHECK_EQ(run.dialog.showMessages.load(), 0);

    CHECK_EQ(SendMessageW(dialog, kShowYourself, 0, 0), static_cast<LRESULT>(77));
    CHECK(IsWindowVisible(dialog));
    CloseBox(dialog);
    REQUIRE(thread.Join());
    CHECK_EQ(run.result, static_cast<INT_PTR>(IDCANCEL));
}

TEST_CASE("a dialog ended during its initialisation is never shown") {
    Run run;
    run.dialog.endAtInit = 42;
    DialogThread thread([&] { RunModal(run); });
    REQUIRE(thread.Join());
    CHECK_EQ(run.result, static_cast<INT_PTR>(42));
    CHECK_EQ(run.dialog.showMessages.load(), 0);
    CHECK(run.windowGoneAfter);
}

TEST_CASE("the owner's top-level window is disabled while the dialog runs") {
    for (bool disabledBefore : {false, true}) {
        CONTEXT(disabledBefore ? "owner disabled before" : "owner enabled before");
        Run run;
        HWND owner = nullptr;
        bool enabledAfter = false;
        DialogThread thread([&] {
            owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                    nullptr);
            // The dialog is given a child of the owner, as a control's handler would.
            HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 10, 10, owner, nullptr, nullptr,
                                         nullptr);
            if (disabledBefore) EnableWindow(owner, FALSE);
            RunModal(run, child);
            enabledAfter = IsWindowEnabled(owner) != FALSE;
            DestroyWindow(owner);
        });
        HWND dialog = thread.WaitForDialog();
        REQUIRE(dialog != nullptr);
        CHECK(GetWindow(dialog, GW_OWNER) == owner);
        CHECK(!IsWindowEnabled(owner));
        Click(dialog, IDOK);
        REQUIRE(thread.Join());
        CHECK_EQ(run.result, static_cast<INT_PTR>(IDOK));
        CHECK_EQ(enabledAfter, !disabledBefore);
    }
}

TEST_CASE("a quit message ends the modal run and reaches the loop outside it") {
    Run run;
    bool quitSeen = false;
    WPARAM quitCode = 0;
    DialogThread thread([&] {
        RunModal(run);
        MSG msg;
        if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
            quitSeen = true;
            quitCode = msg.wParam;
        }
    });
    HWND dialog = thread.WaitForDialog();
    REQUIRE(dialog != nullptr);
    PostThreadMessageW(thread.ThreadId(), WM_QUIT, 7, 0);
    REQUIRE(thread.Join());
    CHECK_EQ(run.result, static_cast<INT_PTR>(-1));
    CHECK(quitSeen);
    CHECK_EQ(quitCode, static_cast<WPARAM>(7));
    CHECK(!IsWindow(dialog));
}

TEST_CASE("a dialog that cannot be made, or whose handler throws, does not take the thread with it") {
    CDialog missing(9999);
    CHECK_EQ(missing.DoModal(), static_cast<INT_PTR>(-1));

    Run failing;
    failing.dialog.throwAtInit = true;
    DialogThread initThread([&] { RunModal(failing); });
    REQUIRE(initThread.Join());
    CHECK(!initThread.Threw());
    CHECK_EQ(failing.result, static_cast<INT_PTR>(-1));

    // A throwing command handler counts as not handled; the dialog goes on.
    Run run;
    DialogThread thread([&] { RunModal(run); });
    HWND dialog = thread.WaitForDialog();
    REQUIRE(dialog != nullptr);
    Click(dialog, IDC_TEST_THROW);
    CHECK(IsWindow(dialog));
    Click(dialog, IDCANCEL);
    REQUIRE(thread.Join());
    CHECK(!thread.Threw());
    CHECK_EQ(run.result, static_cast<INT_PTR>(IDCANCEL));
}

TEST_CASE("a handled message returns the handler's value to its sender") {
    Run run;
    DialogThread thread([&] { RunModal(run); });
    HWND dialog = thread.WaitForDialog();
    REQUIRE(dialog != nullptr);
    CHECK_EQ(SendMessageW(dialog, kAnswerWithValue, 0, 0), static_cast<LRESULT>(1234));
    // Messages whose value is the dialog procedure's own return value.
    CHECK_EQ(SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_APPLICATION)));
    // A dialog already running refuses a second modal run of the same object.
    CHECK_EQ(SendMessageW(dialog, kRunAgain, 0, 0), static_cast<LRESULT>(-1));
    CHECK(IsWindow(dialog));
    Click(dialog, IDOK);
    REQUIRE(thread.Join());
    CHECK_EQ(run.result, static_cast<INT_PTR>(IDOK));
}

TEST_CASE("a dialog opened inside a message sent from another thread blocks that sender until it closes") {
    // As the engine thread asks the hidden progress dialog a question.
    Run run;
    run.dialog.hidden = true;
    DialogThread thread([&] { RunModal(run); });
    HWND outer = thread.WaitForDialog(10000, false);
    REQUIRE(outer != nullptr);

    std::atomic<LRESULT> innerResult{-99};
    std::atomic<bool> senderReturned{false};
    std::thread sender([&] {
        innerResult = SendMessageW(outer, kAskInner, 0, 0);
        senderReturned = true;
    });
    // The inner dialog is the only visible one: the outer stays hidden.
    HWND inner = thread.WaitForDialog();
    const bool innerFound = inner != nullptr && inner != outer;
    CHECK(innerFound);
    if (innerFound) {
        CHECK(GetWindow(inner, GW_OWNER) == outer);
        CHECK(!IsWindowEnabled(outer));
        Sleep(50);
        CHECK(!senderReturned.load());
        Click(inner, IDCANCEL);
    } else {
        // Whatever did open must not keep the sender waiting.
        PostThreadMessageW(thread.ThreadId(), WM_QUIT, 0, 0);
    }
    sender.join();
    CHECK_EQ(innerResult.load(), static_cast<LRESULT>(IDCANCEL));
    CHECK(IsWindow(outer));
    CHECK(IsWindowEnabled(outer));
    CHECK(!IsWindowVisible(outer));
    CloseBox(outer);
    REQUIRE(thread.Join());
    CHECK_EQ(run.result, static_cast<INT_PTR>(IDCANCEL));
}

TEST_CASE("a transparent label paints only its text and has its parent wipe the old one") {
    Run run;
    DialogThread thread([&] { RunModal(run); });
    HWND dialog = thread.WaitForDialog();
    REQUIRE(dialog != nullptr);
    HWND label = GetDlgItem(dialog, IDC_TEST_TRANSPARENT);
    HWND plain = GetDlgItem(dialog, IDC_TEST_PLAIN);
    // The first painting of the new window is over before any count is taken.
    PaintNow(dialog);
    REQUIRE(NothingToPaint(dialog));

    {
        CONTEXT("colours");
        const Marlin::CreatedDC dc(CreateCompatibleDC(nullptr));  // for the colour messages
        REQUIRE(dc.get() != nullptr);
        SetBkMode(dc.get(), OPAQUE);
        const LRESULT brush = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                           reinterpret_cast<LPARAM>(label));
        CHECK_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        CHECK_EQ(GetBkMode(dc.get()), TRANSPARENT);

        SetBkMode(dc.get(), OPAQUE);
        const LRESULT plainBrush = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                                reinterpret_cast<LPARAM>(plain));
        CHECK(plainBrush != reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        CHECK_EQ(GetBkMode(dc.get()), OPAQUE);
    }
    {
        CONTEXT("new text");
        RECT area{};
        GetWindowRect(label, &area);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);

        const int before = run.dialog.parentPaints.load();
        SetWindowTextW(label, L"新しい文字列");
        // The parent has painted by the time the text change returns.
        CHECK(run.dialog.parentPaints.load() > before);
        const RECT painted = run.dialog.lastPaintArea;
        CHECK(painted.left <= area.left && painted.top <= area.top && painted.right >= area.right &&
              painted.bottom >= area.bottom);
        CHECK_EQ(WindowText(label), std::wstring(L"新しい文字列"));

        PaintNow(dialog);
        const int beforePlain = run.dialog.parentPaints.load();
        SetWindowTextW(plain, L"別の文字列");
        // Whatever the change left to paint is painted now: none of it may be the parent.
        CHECK(NothingToPaint(dialog));
        PaintNow(dialog);
        CHECK_EQ(run.dialog.parentPaints.load(), beforePlain);
        CHECK_EQ(WindowText(plain), std::wstring(L"別の文字列"));
    }
    Click(dialog, IDOK);
    REQUIRE(thread.Join());
}
