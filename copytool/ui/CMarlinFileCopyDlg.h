// The copy tool's progress dialog, its only window in a normal run. It owns the job's
// engine (SluiceCore), builds the job's copy option, starts the engine thread, and shows
// what the engine reports: a marquee until the job's size is known, then progress, speed,
// time left and items left; errors in a message box; questions in the question dialogs.
// It closes itself when the engine has ended, never before.
//
// It stays hidden for its first second, so that short jobs never show a window. The
// modal run does not show it; the show timer does, or an error or a question that needs
// the user.
//
// Engine events arrive as kEngineEventMessage, sent (not posted) by the core's observer
// from an engine thread, which waits until the handler returns; the handler reads the
// event only while it runs, writes a question's answer before it returns, and never
// waits for the engine.
//
// Cancel (the button, Enter, Esc, the close box) signals the engine's cancel event. The
// engine publishes that event only when it has counted the job; a cancel asked for before
// then is remembered and signalled the moment the event arrives, so an early cancel stops
// the copy instead of only changing the header.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CDialog.h"
#include "CTransparentStatic.h"
#include "UniqueHandle.h"
#include "UniqueHandle.h"
#include "ProgressDialogIds.h"
#include "SluiceCore.h"

namespace Marlin::Sluice {
class SluiceCoreDisplayStatus;
class SluiceCoreEvent;
class SluiceCoreEventHandler;
}  // namespace Marlin::Sluice

namespace Marlin {

class CMarlinFileCopyDlg : public CDialog {
public:
    static constexpr UINT kEngineEventMessage = WM_PROGRESS_ENGINE_EVENT;  // WM_APP + 1
    static constexpr UINT kCloseMessage = WM_PROGRESS_CLOSE;               // WM_APP + 2
    static constexpr UINT_PTR kShowTimerId = IDT_PROGRESS_SHOW;
    static constexpr UINT kShowDelayMs = 1000;
    // The progress bar's range is a signed 32-bit number.
    static constexpr uint64_t kProgressRangeLimit = 0x7FFFFFFF;

    CMarlinFileCopyDlg();
    // Normally the engine has ended when the dialog goes (it closes only on the engine's
    // end). Should the modal run have ended otherwise, the engine is asked to cancel and
    // waited for before its observer is deleted.
    ~CMarlinFileCopyDlg() override;

    // Builds the job's copy option into the dialog's engine. Returns what the option
    // creator returned (1 for a job the engine can run), or 0 while an engine thread runs.
    int32_t CreateSluiceOption(const std::vector<std::wstring>& sources, const std::wstring& destination,
                               int32_t move);

    Sluice::SluiceCore& Core() { return m_core; }

    // The smallest divisor that brings a weighted byte total into the progress bar's range.
    static uint64_t ProgressDivisor(uint64_t weightedTotal);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool ShowsWhenModalStarts() const override;

    // Starts the engine thread on the core unless one runs already. A test that plays the
    // engine's part itself replaces it.
    virtual void StartEngine();

private:
    LRESULT OnEngineEvent(Sluice::SluiceCoreEvent& event);
    void OnEnumerated(const Sluice::SluiceCoreEvent& event, const Sluice::SluiceCoreDisplayStatus& status);
    void OnProgress(const Sluice::SluiceCoreDisplayStatus& status);
    void OnError(const Sluice::SluiceCoreDisplayStatus& status);
    void OnQuestion(Sluice::SluiceCoreEvent& event, const Sluice::SluiceCoreDisplayStatus& status);
    void OnShowTimer();
    void RequestCancel();
    void SignalCancel();
    void ShowIfHidden();
    void FitBanner();
    void StopShowTimer();
    void PaintIconic();
    bool ColourStatic(HDC dc, HWND control, LRESULT& result);
    void SetItemsLeft(const Sluice::SluiceCoreDisplayStatus& status);
    // Writes every text into its control, and the window title.
    void UpdateControls();
    void WriteText(int id, const std::wstring& text, std::optional<std::wstring>& shown);

    // Declared before the core, so that it outlives the core's wait for its thread.
    std::unique_ptr<Sluice::SluiceCoreEventHandler> m_handler;
    // The job's engine: option, thread, observer; no pipe in this process.
    Sluice::SluiceCore m_core;

    int32_t m_move = 0;           // the job's move flag, from the option
    std::wstring m_operation;     // "コピー" or "移動"
    std::wstring m_strHeader;     // control 1028
    std::wstring m_strName;       // 1031
    std::wstring m_strSource;     // 1029
    std::wstring m_strTarget;     // 1030
    std::wstring m_strItemsLeft;  // 1032
    std::wstring m_strTimeLeft;   // 1034
    std::wstring m_strSpeed;      // 1033
    std::wstring m_strTitle;
    // What each control shows now, so that an unchanged text is not written again (each
    // write makes the transparent labels repaint the dialog behind them). Empty until
    // written: the template's texts are never kept.
    std::optional<std::wstring> m_shownHeader, m_shownName, m_shownSource, m_shownTarget, m_shownItemsLeft,
        m_shownTimeLeft, m_shownSpeed, m_shownTitle;

    uint64_t m_divisor = 1;  // weighted bytes per step of the progress bar, at least 1
    // The dialog's own duplicate of the engine's cancel event (from event 2100), so that
    // a cancel pressed after the engine has ended never signals a closed handle.
    Marlin::KernelHandle m_cancelEvent;
    HICON m_hIcon = nullptr;  // shared, loaded with LoadIcon: never destroyed
    int32_t m_cancelling = 0;
    UINT_PTR m_timer = 0;      // the show timer while it runs
    BitmapHandle m_banner;     // the stretched banner that control 1025 shows

    CTransparentStatic m_headerLabel, m_nameLabel, m_sourceLabel, m_targetLabel, m_itemsLeftLabel,
        m_timeLeftLabel, m_speedLabel;
};

}  // namespace Marlin
