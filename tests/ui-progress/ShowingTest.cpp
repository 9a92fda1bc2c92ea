// When the progress dialog becomes visible: never for a job that ends within its first
// second, after that second otherwise, and at once when an error or a question needs the
// user; and that it closes with result 1 when the engine reports its end.
#include <windows.h>

#include "ProgressDialogIds.h"
#include "PopupWatcher.h"
#include "ScriptedProgressDlg.h"
#include "SluiceCoreDisplayStatus.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionOverwrite.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using Marlin::Sluice::SluiceCoreDisplayStatus;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;
using quaytest::EngineFeeder;
using quaytest::PopupWatcher;
using quaytest::ScriptedProgressDlg;

TEST_CASE("a job that ends within the first second never shows the window") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    bool visibleBeforeEnd = true;
    const INT_PTR result = dialog.RunWith([&](EngineFeeder& feeder) {
        // The show timer is steered: however long this takes, the first second has not
        // passed until the script says so, and here it never does.
        feeder.Send(SluiceCoreEvent::Started);
        SluiceCoreDisplayStatus s;
        s.itemCounts.total = 1;
        s.byteCounts.total = s.weightedByteCounts.total = 100;
        feeder.Enumerated(s, nullptr);
        s.itemCounts.written = 1;
        s.byteCounts.written = s.weightedByteCounts.written = 100;
        feeder.Progress(s);
        feeder.Send(SluiceCoreEvent::Finished);
        visibleBeforeEnd = feeder.Visible();
    });
    CHECK_EQ(result, INT_PTR{1});
    CHECK(!visibleBeforeEnd);
    CHECK(!dialog.EverShown());
}

TEST_CASE("a longer job shows the window after its first second, not before") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    bool timerRuns = false, beforeSecond = true, afterSecond = false;
    dialog.RunWith([&](EngineFeeder& feeder) {
        feeder.Send(SluiceCoreEvent::Started);
        SluiceCoreDisplayStatus s;
        s.itemCounts.total = 3;
        s.byteCounts.total = s.weightedByteCounts.total = 3000;
        feeder.Enumerated(s, nullptr);
        s.byteCounts.written = s.weightedByteCounts.written = 1000;
        feeder.Progress(s);
        // The dialog's own show timer runs (its ticks are held back from the dialog) ...
        timerRuns = dialog.WaitForRealShowTick();
        // ... and until a tick reaches it, nothing the engine reports shows the window.
        beforeSecond = feeder.Visible();
        dialog.PassShowDelay();
        afterSecond = feeder.Visible();
    });
    CHECK(timerRuns);
    CHECK(!beforeSecond);
    CHECK(afterSecond);
    CHECK(dialog.EverShown());
}

TEST_CASE("an error in the first second shows the window before its message box") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    quaytest::PopupSeen seen;
    dialog.RunWith([&](EngineFeeder& feeder) {
        PopupWatcher watcher(feeder.Dialog(), IDOK);
        const Marlin::WindowsFileException denied(ERROR_ACCESS_DENIED, L"C:\\src\\a\\locked.txt");
        feeder.Error(&denied);  // returns only once the box is closed
        seen = watcher.Finish();
    });
    REQUIRE(seen.appeared);
    CHECK(seen.ownerVisible);
}

TEST_CASE("a question in the first second shows the window before the question dialog") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    quaytest::PopupSeen seen;
    dialog.RunWith([&](EngineFeeder& feeder) {
        PopupWatcher watcher(feeder.Dialog(), IDCANCEL);
        WIN32_FILE_ATTRIBUTE_DATA file{};
        file.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
        const Marlin::Sluice::SluiceExceptionOverwrite conflict(L"C:\\src\\a\\x.txt", file, L"C:\\dst\\a\\x.txt", file);
        int32_t all = 0;
        feeder.Question(&conflict, all);
        seen = watcher.Finish();
    });
    REQUIRE(seen.appeared);
    CHECK(seen.ownerVisible);
}

TEST_CASE("a cancel or the hand-over to the elevated copy shows no message and keeps the window hidden") {
    for (int32_t type : {int32_t{SluiceException::Cancelled}, int32_t{SluiceException::ElevationRequested}}) {
        CONTEXT("type " + std::to_string(type));
        ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
        quaytest::PopupSeen seen;
        dialog.RunWith([&](EngineFeeder& feeder) {
            PopupWatcher watcher(feeder.Dialog(), IDOK, 0, 300);
            const SluiceException quiet(type);
            feeder.Error(&quiet);
            seen = watcher.Finish();
        });
        CHECK(!seen.appeared);
        CHECK(!dialog.EverShown());
    }
}
