#include "ScriptedProgressDlg.h"

#include <thread>

#include "SluiceCoreEvent.h"
#include "SluiceOption.h"

namespace quaytest {

ScriptedProgressDlg::ScriptedProgressDlg(std::vector<std::wstring> sources, std::wstring destination, int32_t move)
    : initialised_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    Marlin::Sluice::SluiceOption option;
    option.sources = std::move(sources);
    option.destination = std::move(destination);
    option.move = move;
    Core().SetOption(option);
}

ScriptedProgressDlg::~ScriptedProgressDlg() = default;

void ScriptedProgressDlg::StartEngine() {}

BOOL ScriptedProgressDlg::OnInitDialog() {
    const BOOL focus = CMarlinFileCopyDlg::OnInitDialog();
    window_ = Hwnd();
    SetEvent(initialised_.get());
    return focus;
}

bool ScriptedProgressDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_SHOWWINDOW && wParam) everShown_ = true;
    return CMarlinFileCopyDlg::OnMessage(message, wParam, lParam, result);
}

INT_PTR ScriptedProgressDlg::RunWith(const std::function<void(EngineFeeder&)>& script) {
    std::thread engine([this, &script] {
        if (WaitForSingleObject(initialised_.get(), 30000) != WAIT_OBJECT_0) return;
        EngineFeeder feeder(window_.load());
        try {
            script(feeder);
        } catch (...) {
            // The checks run on the test's own thread afterwards; the dialog must end anyway.
        }
        feeder.Send(Marlin::Sluice::SluiceCoreEvent::Ended);
    });
    const INT_PTR result = DoModal();
    engine.join();
    return result;
}

}  // namespace quaytest
