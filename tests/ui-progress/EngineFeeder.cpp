#include "EngineFeeder.h"

#include <commctrl.h>

#include <vector>

#include "Exception.h"
#include "ProgressDialogIds.h"

namespace quaytest {

using Marlin::Sluice::SluiceCoreEvent;

namespace {

std::wstring WindowText(HWND window) {
    if (!window) return {};
    std::vector<wchar_t> buffer(4096);
    const int n = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

EngineFeeder::EngineFeeder(HWND dialog) : dialog_(dialog), handler_(dialog, WM_PROGRESS_ENGINE_EVENT) {}

void EngineFeeder::Send(int32_t code) {
    event_.code = code;
    handler_.Update(&event_);
}

void EngineFeeder::Enumerated(const Marlin::Sluice::SluiceCoreDisplayStatus& status, HANDLE cancelEvent) {
    event_.status = status;
    event_.cancelEvent = cancelEvent;
    Send(SluiceCoreEvent::Enumerated);
}

void EngineFeeder::Progress(const Marlin::Sluice::SluiceCoreDisplayStatus& status, int32_t code) {
    event_.status = status;
    Send(code);
}

void EngineFeeder::Error(const Marlin::Exception* error) {
    event_.status.SetException(const_cast<Marlin::Exception*>(error));
    Send(SluiceCoreEvent::Error);
    event_.status.SetException(nullptr);
}

int32_t EngineFeeder::Question(const Marlin::Exception* question, int32_t& applyToAll) {
    event_.answer = 0;
    event_.applyToAll = 0;
    event_.status.SetException(const_cast<Marlin::Exception*>(question));
    Send(SluiceCoreEvent::Question);
    event_.status.SetException(nullptr);
    applyToAll = event_.applyToAll;
    return event_.answer;
}

std::wstring EngineFeeder::Text(int id) const { return WindowText(GetDlgItem(dialog_, id)); }

std::wstring EngineFeeder::Title() const { return WindowText(dialog_); }

bool EngineFeeder::Visible() const { return IsWindowVisible(dialog_) != FALSE; }

bool EngineFeeder::Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }

bool EngineFeeder::Marquee() const {
    return (GetWindowLongPtrW(GetDlgItem(dialog_, IDC_PROGRESS_BAR), GWL_STYLE) & PBS_MARQUEE) != 0;
}

int32_t EngineFeeder::BarHigh() const {
    return static_cast<int32_t>(SendMessageW(GetDlgItem(dialog_, IDC_PROGRESS_BAR), PBM_GETRANGE, FALSE, 0));
}

int32_t EngineFeeder::BarLow() const {
    return static_cast<int32_t>(SendMessageW(GetDlgItem(dialog_, IDC_PROGRESS_BAR), PBM_GETRANGE, TRUE, 0));
}

int32_t EngineFeeder::BarPosition() const {
    return static_cast<int32_t>(SendMessageW(GetDlgItem(dialog_, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0));
}

}  // namespace quaytest
