// The framework's static control: attaches to a static control of a dialog (usually one
// made by the dialog template) and gives its messages to a virtual procedure, so that a
// derived class can change how the control behaves. The control stays the system's;
// whatever WindowProc does not handle goes on to the system's procedure (Default).
//
// Attach with SubclassDlgItem in the dialog's OnInitDialog. The link ends when the
// control is destroyed or when this object goes, whichever comes first; both must happen
// on the control's thread.
#pragma once

#include <windows.h>

namespace Marlin {

class CStatic {
public:
    CStatic();
    virtual ~CStatic();
    CStatic(const CStatic&) = delete;
    CStatic& operator=(const CStatic&) = delete;

    // Attaches to control id of parent. False when there is no such control or this
    // object is already attached.
    bool SubclassDlgItem(int id, HWND parent);
    bool SubclassWindow(HWND control);
    // Gives the control back to the system's procedure alone.
    void UnsubclassWindow();

    HWND Hwnd() const { return hwnd_; }

protected:
    // Every message of the control; the default passes it on unchanged.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The system's handling of a message.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    HWND hwnd_ = nullptr;
};

}  // namespace Marlin
