#include "ScriptedProgressDlg.h"

#include <thread>

#include "SluiceCoreEvent.h"
#include "SluiceOption.h"
#include "TestHarness.h"

namespace quaytest {

ScriptedProgressDlg::ScriptedProgressDlg(std::vector<std::wstring> sources, std::wstring destination, int32_t move)
    : initialised_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      realShowTick_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
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
    // The system's tick is posted to this thread; the script's is sent from its own.
    if (message == WM_TIMER && wParam == kShowTimerId && !InSendMessage()) {
        SetEvent(realShowTick_.get());
        result = 0;
        return true;
    }
    return CMarlinFileCopyDlg::OnMessage(message, wParam, lParam, result);
}

void ScriptedProgressDlg::PassShowDelay() { SendMessageW(window_.load(), WM_TIMER, kShowTimerId, 0); }

bool ScriptedProgressDlg::WaitForRealShowTick(DWORD timeoutMs) const {
    return WaitForSingleObject(realShowTick_.get(), timeoutMs) == WAIT_OBJECT_0;
}

INT_PTR ScriptedProgressDlg::RunWith(const std::function<void(EngineFeeder&)>& script) {
    std::exception_ptr thrown;
    bool started = false;
    std::thread engine([&] {
        if (WaitForSingleObject(initialised_.get(), 30000) != WAIT_OBJECT_0) return;
        started = true;
        EngineFeeder feeder(window_.load());
        try {
            script(feeder);
        } catch (...) {
            thrown = std::current_exception();
        }
        feeder.Send(Marlin::Sluice::SluiceCoreEvent::Ended);
    });
    const INT_PTR result = DoModal();
    engine.join();
    if (!started) FAIL("the progress dialog never initialised (DoModal returned " + std::to_string(result) + ")");
    if (thrown) std::rethrow_exception(thrown);
    return result;
}

}  // namespace quaytest
