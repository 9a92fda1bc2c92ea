// Cancelling from the progress dialog: every way the user can ask (the button, Enter, Esc,
// the close box) signals the engine's cancel event and changes the header, the dialog
// stays until the engine ends, progress is no longer shown; a cancel asked for before the
// engine has published its cancel event is passed on as soon as the event arrives; and the
// dialog keeps a handle of its own, so a cancel after the engine's end is harmless.
#include <windows.h>

#include <string>

#include "UniqueHandle.h"
#include "ProgressDialogIds.h"
#include "ScriptedProgressDlg.h"
#include "SluiceCoreDisplayStatus.h"
#include "TestHarness.h"

using Marlin::Sluice::SluiceCoreDisplayStatus;
using quaytest::EngineFeeder;
using quaytest::ScriptedProgressDlg;

namespace {

constexpr const wchar_t* kCancelling = L"取り消しています...";

enum class Way { Button, EnterKey, EscKey, CloseBox };

const char* Name(Way way) {
    switch (way) {
    case Way::Button: return "the cancel button";
    case Way::EnterKey: return "the Enter key";
    case Way::EscKey: return "the Esc key";
    default: return "the close box";
    }
}

// Asks for a cancel the way a user would, and returns once the dialog has handled it.
void AskToCancel(const EngineFeeder& feeder, Way way) {
    HWND dialog = feeder.Dialog();
    switch (way) {
    case Way::Button:
        PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        break;
    case Way::EnterKey:
    case Way::EscKey: {
        const WPARAM key = way == Way::EnterKey ? VK_RETURN : VK_ESCAPE;
        PostMessageW(dialog, WM_KEYDOWN, key, 1);
        PostMessageW(dialog, WM_KEYUP, key, 0xC0000001);
        break;
    }
    case Way::CloseBox:
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    // Posted messages are handled in order; a sent one after them comes back only once
    // they are done.
    SendMessageW(dialog, WM_NULL, 0, 0);
    for (int i = 0; i < 100 && feeder.Text(IDC_PROGRESS_HEADER) != kCancelling; ++i) Sleep(10);
}

SluiceCoreDisplayStatus Job() {
    SluiceCoreDisplayStatus s;
    s.itemCounts.total = 4;
    s.byteCounts.total = s.weightedByteCounts.total = 4000;
    return s;
}

bool Signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace

TEST_CASE("each way of cancelling signals the engine and waits for its end") {
    for (Way way : {Way::Button, Way::EnterKey, Way::EscKey, Way::CloseBox}) {
        CONTEXT(Name(way));
        Marlin::KernelHandle cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
        bool signalled = false, stillOpen = false, buttonEnabled = true;
        std::wstring header, title, timeLeftAfter;
        int32_t positionAfter = -1;
        const INT_PTR result = dialog.RunWith([&](EngineFeeder& feeder) {
            SluiceCoreDisplayStatus s = Job();
            feeder.Enumerated(s, cancel.get());
            // The window must be up for a click or a key to mean anything.
            ShowWindow(feeder.Dialog(), SW_SHOW);
            AskToCancel(feeder, way);
            signalled = Signalled(cancel.get());
            header = feeder.Text(IDC_PROGRESS_HEADER);
            title = feeder.Title();
            buttonEnabled = feeder.Enabled(IDCANCEL);
            Sleep(100);
            stillOpen = IsWindow(feeder.Dialog()) != FALSE;
            // The engine goes on until it notices; its progress no longer shows.
            s.itemCounts.written = 2;
            s.weightedByteCounts.written = s.byteCounts.written = 2000;
            s.writeTotals = {{1000, 2000}};
            feeder.Progress(s);
            positionAfter = feeder.BarPosition();
            timeLeftAfter = feeder.Text(IDC_PROGRESS_TIME_LEFT);
        });
        CHECK(signalled);
        CHECK_EQ(header, std::wstring(kCancelling));
        CHECK_EQ(title, std::wstring(kCancelling));
        CHECK(!buttonEnabled);
        CHECK(stillOpen);
        CHECK_EQ(positionAfter, 0);
        CHECK_EQ(timeLeftAfter, std::wstring(L"計算中..."));
        CHECK_EQ(result, INT_PTR{1});  // it ended only with the engine's 1001
    }
}

TEST_CASE("a cancel before the engine can be told is passed on when its cancel event arrives") {
    Marlin::KernelHandle cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    bool signalledBefore = true, signalledAt2100 = false, marqueeAfter = false, buttonEnabled = true;
    std::wstring headerAfter;
    dialog.RunWith([&](EngineFeeder& feeder) {
        feeder.Send(1000);
        AskToCancel(feeder, Way::EscKey);  // the button is still disabled: Esc or the close box
        signalledBefore = Signalled(cancel.get());
        feeder.Enumerated(Job(), cancel.get());
        signalledAt2100 = Signalled(cancel.get());  // by the time the engine's call returns
        headerAfter = feeder.Text(IDC_PROGRESS_HEADER);
        marqueeAfter = feeder.Marquee();
        buttonEnabled = feeder.Enabled(IDCANCEL);
    });
    CHECK(!signalledBefore);
    CHECK(signalledAt2100);
    CHECK_EQ(headerAfter, std::wstring(kCancelling));
    CHECK(marqueeAfter);  // the totals are not shown any more
    CHECK(!buttonEnabled);
}

TEST_CASE("a cancel after the engine has closed its handle still reaches the event, through the dialog's own") {
    Marlin::KernelHandle engines(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Marlin::KernelHandle observer;  // the test's own view of the same event
    DuplicateHandle(GetCurrentProcess(), engines.get(), GetCurrentProcess(), observer.put(), 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    bool signalled = false;
    dialog.RunWith([&](EngineFeeder& feeder) {
        feeder.Enumerated(Job(), engines.get());
        engines.reset();  // the engine's run is over, its event is gone
        AskToCancel(feeder, Way::EnterKey);
        signalled = Signalled(observer.get());
    });
    CHECK(signalled);
}
