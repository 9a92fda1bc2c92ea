// The framework's modal dialog: a window built from a dialog template in the program's
// resources, whose messages reach virtual handlers of a derived class. Thin on purpose:
// everything not handled here goes to the system's dialog manager.
//
// Modal run. DoModal creates the window from the template, disables the owner, runs a
// message loop of its own (with IsDialogMessageW, so Tab, Enter, Esc and the mnemonics
// work as in any dialog) until EndDialog is called, then re-enables the owner, destroys
// the window and returns the value given to EndDialog. The system's own modal loop
// (DialogBoxParamW) is not used because it always shows the window the first time its
// queue runs empty, and the progress dialog must be able to stay hidden.
//
// Hidden until shown. ShowsWhenModalStarts decides whether DoModal shows the window
// once OnInitDialog has returned. The default, true, gives the ordinary modal dialog. A
// derived class that returns false (and whose template lacks WS_VISIBLE) keeps a live,
// hidden window: it receives its messages, timers and sent messages as usual, and
// becomes visible only when the class itself calls ShowWindow(Hwnd(), SW_SHOW).
// Nothing else in the framework ever shows it.
//
// Ending. EndDialog only records the result; the loop ends after the message being
// handled, and DoModal destroys the window. Every way of cancelling the system offers
// (the Esc key, WM_CLOSE from the close box or Alt+F4, SC_CLOSE from the system menu)
// arrives as WM_COMMAND with IDCANCEL and so reaches OnCancel. A WM_QUIT ends the run
// with -1 and is posted again for the loop outside.
//
// Messages, in the order they are offered:
//   1. WM_CTLCOLOR* is first reflected to the control that asked (message
//      kReflectedMessageBase + WM_CTLCOLOR*, same parameters). A control that answers
//      with a brush (such as CTransparentStatic) paints itself; otherwise 2. applies.
//   2. OnMessage, for every message. Return true when handled and put the message's
//      value into result: for WM_CTLCOLOR*, WM_QUERYDRAGICON, WM_COMPAREITEM,
//      WM_VKEYTOITEM, WM_CHARTOITEM and WM_INITDIALOG that is the value itself (a brush,
//      an icon...); for all others it goes to DWLP_MSGRESULT, as the dialog manager wants.
//   3. WM_INITDIALOG calls OnInitDialog, WM_COMMAND calls OnCommand.
// The window's DWLP_USER slot belongs to this class.
//
// Exceptions must not cross the system's window code: a handler that throws is treated
// as not handled, and one thrown by OnInitDialog ends the dialog with -1.
//
// Threads: a dialog runs on the thread that calls DoModal; other threads may send or post
// it messages but call none of its member functions.
#pragma once

#include <windows.h>

#include <string>

namespace Marlin {

class CDialog {
public:
    // The message number under which WM_CTLCOLOR* is reflected to the control concerned
    // (the value of the platform's OCM__BASE).
    static constexpr UINT kReflectedMessageBase = WM_USER + 0x1C00;

    // templateId: resource identifier of the dialog template. resources: the module that
    // holds it; null means the program file.
    explicit CDialog(UINT templateId, HINSTANCE resources = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally above owner (a child window stands for its top-level
    // window; null for none). Returns the value passed to EndDialog; -1 when the window
    // could not be created, when it is already running, on WM_QUIT, or when the window was
    // destroyed without EndDialog.
    INT_PTR DoModal(HWND owner = nullptr);

    // Ends the modal run after the current message with result as DoModal's value.
    void EndDialog(INT_PTR result);

    // The dialog's window while DoModal runs (from WM_INITDIALOG on), else null.
    HWND Hwnd() const { return hwnd_; }
    UINT TemplateId() const { return templateId_; }

    // Control helpers; they do nothing (or return empty / false) without a window.
    HWND Item(int id) const;
    bool SetItemText(int id, const std::wstring& text) const;
    std::wstring ItemText(int id) const;
    void SetCheck(int id, bool checked) const;
    bool IsChecked(int id) const;        // BST_CHECKED; an indeterminate box is not checked
    bool SetWindowTitle(const std::wstring& text) const;
    std::wstring WindowTitle() const;

protected:
    // WM_INITDIALOG. Return TRUE to let the dialog manager focus the first control that
    // takes the Tab key, FALSE when the handler set the focus itself.
    virtual BOOL OnInitDialog();
    // WM_COMMAND (id, notification code, control or null). The default routes IDOK to
    // OnOK and IDCANCEL to OnCancel. Return TRUE when handled.
    virtual BOOL OnCommand(UINT id, UINT notifyCode, HWND control);
    // Enter without a default button of another identifier; the default ends with IDOK.
    virtual void OnOK();
    // Esc, the close box, the system menu's close and button IDCANCEL; the default ends
    // with IDCANCEL.
    virtual void OnCancel();
    // Every message before the framework's own handling; see above.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Whether DoModal shows the window when the modal run starts; see above.
    virtual bool ShowsWhenModalStarts() const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessageUnguarded(UINT message, WPARAM wParam, LPARAM lParam);
    static bool ReturnsValueDirectly(UINT message);

    UINT templateId_;
    HINSTANCE resources_;
    HWND hwnd_ = nullptr;
    bool running_ = false;
    bool ended_ = false;
    INT_PTR result_ = -1;
};

}  // namespace Marlin
