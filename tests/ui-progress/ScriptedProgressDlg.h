// The real progress dialog with the engine left out: StartEngine starts nothing, and a
// script on a second thread plays the engine through an EngineFeeder instead. Records
// whether the window was ever shown.
#pragma once

#include <windows.h>

#include <atomic>
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
    // 1001, as the engine always does last. Returns the modal result.
    INT_PTR RunWith(const std::function<void(EngineFeeder&)>& script);

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
};

}  // namespace quaytest
