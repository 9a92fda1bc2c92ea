#include "CMarlinFileCopyDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "CreateSluiceOptionCmdLine.h"
#include "DisplayText.h"
#include "ErrorText.h"
#include "MemoryDC.h"
#include "PaintDC.h"
#include "Paths.h"
#include "QuantityText.h"
#include "QuestionDialogs.h"
#include "ResourceText.h"
#include "SluiceCoreDisplayStatus.h"
#include "SluiceCoreEvent.h"
#include "SluiceCoreEventHandler.h"
#include "SluiceException.h"
#include "StringIds.h"
#include "TraceCaught.h"
#include "UniqueHandle.h"

namespace Marlin {

using Sluice::SluiceCoreDisplayStatus;
using Sluice::SluiceCoreEvent;
using Sluice::SluiceCoreEventHandler;
using Sluice::SluiceException;

namespace {

std::wstring Text(uint32_t id) {
    std::wstring text;
    LoadResourceString(text, id);
    return text;
}

bool IsTransparentLabel(int id) { return id >= IDC_PROGRESS_HEADER && id <= IDC_PROGRESS_TIME_LEFT; }

}  // namespace

CMarlinFileCopyDlg::CMarlinFileCopyDlg()
    : CDialog(IDD_PROGRESS_DLG),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUAYSAIL))) {}

CMarlinFileCopyDlg::~CMarlinFileCopyDlg() {
    // The window is gone by now, so the observer no longer reaches it and an engine
    // thread still running cannot block on this thread; it stops at the cancel (or, before
    // it has counted the job, runs to its end) and is waited for here.
    if (m_core.HasThread()) {
        SignalCancel();
        if (Marlin::KernelHandle thread = m_core.ThreadWaitHandle()) ::WaitForSingleObject(thread.get(), INFINITE);
    }
    m_core.SetObserver(nullptr);
    m_handler.reset();
}

int32_t CMarlinFileCopyDlg::CreateSluiceOption(const std::vector<std::wstring>& sources,
                                               const std::wstring& destination, int32_t move) {
    if (m_core.HasThread()) return 0;
    Sluice::CreateSluiceOptionCmdLine creator(sources, destination, move);
    const int32_t created = creator.Create();
    if (created == 1 && !m_core.SetOption(creator.GetOption())) return 0;
    return created;
}

uint64_t CMarlinFileCopyDlg::ProgressDivisor(uint64_t weightedTotal) {
    // The smallest d with weightedTotal / d <= limit, computed at once rather than counted
    // up, so a total of many terabytes costs no time on the UI thread.
    return weightedTotal / (kProgressRangeLimit + 1) + 1;
}

bool CMarlinFileCopyDlg::ShowsWhenModalStarts() const { return false; }

void CMarlinFileCopyDlg::StartEngine() {
    if (!m_core.HasThread()) m_core.Start();
}

BOOL CMarlinFileCopyDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_headerLabel.SubclassDlgItem(IDC_PROGRESS_HEADER, Hwnd());
    m_nameLabel.SubclassDlgItem(IDC_PROGRESS_NAME, Hwnd());
    m_sourceLabel.SubclassDlgItem(IDC_PROGRESS_SOURCE, Hwnd());
    m_targetLabel.SubclassDlgItem(IDC_PROGRESS_TARGET, Hwnd());
    m_itemsLeftLabel.SubclassDlgItem(IDC_PROGRESS_ITEMS_LEFT, Hwnd());
    m_timeLeftLabel.SubclassDlgItem(IDC_PROGRESS_TIME_LEFT, Hwnd());
    m_speedLabel.SubclassDlgItem(IDC_PROGRESS_SPEED, Hwnd());

    FitBanner();
    ::EnableWindow(Item(IDCANCEL), FALSE);

    const Sluice::SluiceOption option = m_core.Option();
    m_move = option.move;
    m_operation = OperationWord(m_move == 1);
    FormatResource(m_strHeader, IDS_PROGRESS_PREPARING, m_operation);
    m_strItemsLeft = m_strTimeLeft = m_strSpeed = Text(IDS_CALCULATING);
    m_strSource = option.sources.empty() ? std::wstring() : GetParentFolder(option.sources.front(), 1);
    m_strTarget = option.destination;

    HWND bar = Item(IDC_PROGRESS_BAR);
    ::SetWindowLongPtrW(bar, GWL_STYLE, ::GetWindowLongPtrW(bar, GWL_STYLE) | PBS_MARQUEE);
    ::SendMessageW(bar, PBM_SETMARQUEE, TRUE, 100);

    m_strTitle = m_strHeader;
    m_timer = ::SetTimer(Hwnd(), kShowTimerId, kShowDelayMs, nullptr);

    m_handler = std::make_unique<SluiceCoreEventHandler>(Hwnd(), kEngineEventMessage);
    m_core.SetObserver(m_handler.get());
    StartEngine();

    UpdateControls();
    return TRUE;
}

void CMarlinFileCopyDlg::FitBanner() {
    HWND banner = Item(IDC_PROGRESS_BANNER);
    if (!banner) return;
    RECT control{};
    ::GetWindowRect(banner, &control);
    ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&control), 2);
    RECT client{};
    ::GetClientRect(Hwnd(), &client);

    ScreenDC screen(::GetDC(nullptr));
    const int dpiX = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    const int dpiY = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    const int width = std::min(::MulDiv(control.right - control.left, dpiX, 96), int(client.right - control.left));
    const int height = std::min(::MulDiv(control.bottom - control.top, dpiY, 96), int(client.bottom - control.top));
    if (width <= 0 || height <= 0) return;

    BitmapHandle picture(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                            MAKEINTRESOURCEW(IDB_PROGRESS_BANNER), IMAGE_BITMAP, 0, 0,
                                                            LR_CREATEDIBSECTION)));
    BITMAP size{};
    if (!picture || !::GetObjectW(picture.get(), sizeof size, &size)) return;

    // 24 bits, not 32: the themed static control would take a fourth byte of 0 for a fully
    // transparent alpha channel and draw nothing. A section needs no screen to be made.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    BitmapHandle stretched(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &pixels, nullptr, 0));
    // Without a screen context both are compatible with the application's current screen.
    MemoryDC from(screen.get()), to(screen.get());
    if (!stretched || !from.Select(picture.get()) || !to.Select(stretched.get())) return;
    ::SetStretchBltMode(to.get(), HALFTONE);
    ::SetBrushOrgEx(to.get(), 0, 0, nullptr);  // HALFTONE wants it set after the mode
    ::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    to.Deselect();
    from.Deselect();

    // The control loaded the template's picture itself and hands it back here; it is ours
    // to delete now. The stretched one stays ours too and lives as long as the dialog.
    BitmapHandle previous(reinterpret_cast<HBITMAP>(
        ::SendMessageW(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(stretched.get()))));
    if (previous.get() == stretched.get()) previous.release();
    m_banner = std::move(stretched);
    // The control keeps its template size; give it the picture's.
    ::SetWindowPos(banner, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CMarlinFileCopyDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case kEngineEventMessage:
        result = wParam ? OnEngineEvent(*reinterpret_cast<SluiceCoreEvent*>(wParam)) : 0;
        return true;
    case kCloseMessage:
        EndDialog(static_cast<INT_PTR>(wParam));
        result = 0;
        return true;
    case WM_TIMER:
        if (m_timer != 0 && wParam == m_timer) {
            OnShowTimer();
            result = 0;
            return true;
        }
        return false;
    case WM_PAINT:
        if (!::IsIconic(Hwnd())) return false;
        PaintIconic();
        result = 0;
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
    default:
        return false;
    }
}

LRESULT CMarlinFileCopyDlg::OnEngineEvent(SluiceCoreEvent& event) {
    try {
        // The event and its status exist only while this message is being handled.
        const SluiceCoreDisplayStatus status(event.status);
        switch (event.code) {
        case SluiceCoreEvent::Ended:
            StopShowTimer();
            ::PostMessageW(Hwnd(), kCloseMessage, 1, 0);
            break;
        case SluiceCoreEvent::Error:
            OnError(status);
            break;
        case SluiceCoreEvent::Question:
            OnQuestion(event, status);
            break;
        case SluiceCoreEvent::Enumerated:
            OnEnumerated(event, status);
            break;
        case SluiceCoreEvent::Progress:
        case SluiceCoreEvent::ReadProgress:
        case SluiceCoreEvent::WriteProgress:
            if (!m_cancelling) OnProgress(status);
            break;
        default:
            break;
        }
    } catch (...) {
        // Nothing the display does may reach the engine thread that waits for this message.
        TraceCaught(L"CMarlinFileCopyDlg::OnEngineEvent");
    }
    return 0;
}

void CMarlinFileCopyDlg::OnEnumerated(const SluiceCoreEvent& event, const SluiceCoreDisplayStatus& status) {
    // Keep a handle of our own: the engine's is closed when its run ends, and the user
    // may press cancel after that, before the dialog has closed.
    m_cancelEvent.reset();
    HANDLE own = nullptr;
    if (event.cancelEvent &&
        ::DuplicateHandle(::GetCurrentProcess(), event.cancelEvent, ::GetCurrentProcess(), &own, 0, FALSE,
                          DUPLICATE_SAME_ACCESS))
        m_cancelEvent.reset(own);

    if (m_cancelling) {
        // The user cancelled before the engine could be told; tell it now.
        SignalCancel();
        return;
    }

    m_divisor = ProgressDivisor(status.weightedByteCounts.total);
    HWND bar = Item(IDC_PROGRESS_BAR);
    ::SendMessageW(bar, PBM_SETMARQUEE, FALSE, 100);
    ::SetWindowLongPtrW(bar, GWL_STYLE, ::GetWindowLongPtrW(bar, GWL_STYLE) & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    ::SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(status.weightedByteCounts.total / m_divisor));

    FormatResource(m_strHeader, IDS_PROGRESS_HEADER, m_operation, static_cast<int64_t>(status.itemCounts.total),
                   SizeText(status.byteCounts.total));
    m_strTimeLeft = m_strSpeed = Text(IDS_CALCULATING);
    SetItemsLeft(status);
    ::EnableWindow(Item(IDCANCEL), m_cancelEvent ? TRUE : FALSE);
    UpdateControls();
}

void CMarlinFileCopyDlg::OnProgress(const SluiceCoreDisplayStatus& status) {
    const uint64_t position = std::min(status.weightedByteCounts.written, status.weightedByteCounts.total) / m_divisor;
    ::SendMessageW(Item(IDC_PROGRESS_BAR), PBM_SETPOS, static_cast<WPARAM>(position), 0);

    uint64_t seconds = 0;
    if (status.TimeLeft(seconds)) {
        const std::wstring time = TimeText(seconds);
        m_strTitle = Text(IDS_TITLE_REMAINING) + time;
        m_strTimeLeft = Text(IDS_TIME_ABOUT) + time;
    } else {
        m_strTimeLeft = Text(IDS_CALCULATING);
        m_strTitle = m_strHeader;
    }

    SetItemsLeft(status);

    const uint64_t speed = SluiceCoreDisplayStatus::Speed(status.writeLaps);
    m_strSpeed = speed != 0 ? SizeText(speed) + L"/" + Text(IDS_PER_SECOND) : Text(IDS_CALCULATING);

    // A stream is shown under its file's name.
    std::wstring name = GetFileNamePart(status.writingPath);
    m_strName = name.substr(0, name.find(L':'));
    m_strSource = status.sourceFolder;
    m_strTarget = status.destinationFolder;
    UpdateControls();
}

void CMarlinFileCopyDlg::SetItemsLeft(const SluiceCoreDisplayStatus& status) {
    const uint64_t items = status.itemCounts.total - std::min(status.itemCounts.written, status.itemCounts.total);
    const uint64_t bytes = status.byteCounts.total - std::min(status.byteCounts.written, status.byteCounts.total);
    FormatResource(m_strItemsLeft, IDS_ITEMS_LEFT, static_cast<int64_t>(items), SizeText(bytes));
}

void CMarlinFileCopyDlg::OnError(const SluiceCoreDisplayStatus& status) {
    const Exception* error = status.exception();
    if (const auto* sluice = dynamic_cast<const SluiceException*>(error)) {
        // The user's own cancel, and the hand-over to the elevated instance, are no errors.
        if (sluice->type == SluiceException::Cancelled || sluice->type == SluiceException::ElevationRequested) return;
    }
    ShowIfHidden();
    const std::wstring text = ErrorMessageText(error, m_move == 1);
    const std::wstring caption = Caption(m_move == 1, false);
    ::MessageBoxW(Hwnd(), text.c_str(), caption.c_str(), MB_OK);
}

void CMarlinFileCopyDlg::OnQuestion(SluiceCoreEvent& event, const SluiceCoreDisplayStatus& status) {
    ShowIfHidden();
    int32_t answer = 0, applyToAll = 0;
    AskQuestion(Hwnd(), status.exception(), m_move, answer, applyToAll);
    event.answer = answer;
    event.applyToAll = applyToAll;
}

void CMarlinFileCopyDlg::OnShowTimer() {
    ::ShowWindow(Hwnd(), SW_SHOW);
    StopShowTimer();
}

void CMarlinFileCopyDlg::StopShowTimer() {
    if (m_timer != 0) ::KillTimer(Hwnd(), m_timer);
    m_timer = 0;
}

void CMarlinFileCopyDlg::ShowIfHidden() {
    if (!::IsWindowVisible(Hwnd())) ::ShowWindow(Hwnd(), SW_SHOW);
}

// Enter must not end the dialog: it asks for a cancel, as the button does.
void CMarlinFileCopyDlg::OnOK() { RequestCancel(); }

// The dialog ends only when the engine reports its end.
void CMarlinFileCopyDlg::OnCancel() { RequestCancel(); }

void CMarlinFileCopyDlg::RequestCancel() {
    SignalCancel();
    ::EnableWindow(Item(IDCANCEL), FALSE);
    m_cancelling = 1;
    LoadResourceString(m_strHeader, IDS_CANCELLING);
    m_strTitle = m_strHeader;
    UpdateControls();
}

void CMarlinFileCopyDlg::SignalCancel() {
    if (m_cancelEvent) ::SetEvent(m_cancelEvent.get());
}

void CMarlinFileCopyDlg::PaintIconic() {
    PaintDC paint(Hwnd());
    if (!paint) return;
    ::SendMessageW(Hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(paint.get(), x, y, m_hIcon);
}

bool CMarlinFileCopyDlg::ColourStatic(HDC dc, HWND control, LRESULT& result) {
    // The labels, the banner and the white field: transparent over what lies behind them.
    // The seven changing texts draw themselves (they answer the reflected message first).
    if (!control || IsTransparentLabel(::GetDlgCtrlID(control))) return false;
    ::SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));  // a stock object, never deleted
    return true;
}

void CMarlinFileCopyDlg::WriteText(int id, const std::wstring& text, std::optional<std::wstring>& shown) {
    if (shown && *shown == text) return;
    if (SetItemText(id, text)) shown = text;
}

void CMarlinFileCopyDlg::UpdateControls() {
    WriteText(IDC_PROGRESS_HEADER, m_strHeader, m_shownHeader);
    WriteText(IDC_PROGRESS_NAME, m_strName, m_shownName);
    WriteText(IDC_PROGRESS_SOURCE, m_strSource, m_shownSource);
    WriteText(IDC_PROGRESS_TARGET, m_strTarget, m_shownTarget);
    WriteText(IDC_PROGRESS_ITEMS_LEFT, m_strItemsLeft, m_shownItemsLeft);
    WriteText(IDC_PROGRESS_TIME_LEFT, m_strTimeLeft, m_shownTimeLeft);
    WriteText(IDC_PROGRESS_SPEED, m_strSpeed, m_shownSpeed);
    if ((!m_shownTitle || *m_shownTitle != m_strTitle) && SetWindowTitle(m_strTitle)) m_shownTitle = m_strTitle;
}

}  // namespace Marlin
