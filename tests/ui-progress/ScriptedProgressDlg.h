// The real progress dialog with the engine left out: StartEngine starts nothing, and a
// script on a second thread plays the engine through an EngineFeeder instead. Records
// whether the window was ever shown.
//
// The dialog's first second is the test's to steer: the ticks of its real show timer are
// held back (counted, so a test can see that the timer runs), and the script passes the
// second with PassShowDelay when it chooses. So "within the first second" holds however
// slowly a loaded machine runs the script, and no check waits on the wall clock.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "CMarlinFileCopyDlg.h"
#include "EngineFeeder.h"
#include "UniqueHandle.h"

namespace quaytest {

class ScriptedProgressDlg : public Marlin::CMarlinFileCopyDlg {
public:
    // The job the dialog shows before the first progress: sources, destination, move.
    ScriptedProgressDlg(std::vector<std::wstring> sources, std::wstring destination, int32_t move);
    ~ScriptedProgressDlg() override;

    // Runs the dialog modally on this thread and script on another; script starts once
    // the dialog is initialised. When the script returns (or throws), the feeder sends
    // 1001, as the engine always does last. Returns the modal result. What the script
    // threw is thrown again here, after the dialog has ended, so a failed REQUIRE or an
    // unexpected exception in the script fails the test; so does a dialog that never
    // initialised.
    INT_PTR RunWith(const std::function<void(EngineFeeder&)>& script);

    // From the script: the first second has passed now (the show timer ticks once).
    void PassShowDelay();
    // From the script: waits until the real show timer has ticked (and been held back).
    bool WaitForRealShowTick(DWORD timeoutMs = 30000) const;

    bool EverShown() const { return everShown_.load(); }
    HWND Window() const { return window_.load(); }

protected:
    void StartEngine() override;
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::atomic<HWND> window_{nullptr};
    std::atomic<bool> everShown_{false};
    Marlin::KernelHandle initialised_;
    Marlin::KernelHandle realShowTick_;  // set by the first real tick of the show timer
};

}  // namespace quaytest
