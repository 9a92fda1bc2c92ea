// What the four question dialogs share: the answer they give (the result of the button
// pressed and the state of the apply-to-all check box 1002), their two buttons besides
// cancel, and the rule that only a button ends the question. Each dialog fills in its
// texts in OnInitDialog and names the results of its buttons.
#pragma once

#include <windows.h>

#include <cstdint>

#include "CDialog.h"

namespace Marlin {

class CQuestionDlg : public CDialog {
public:
    // What a dialog's buttons answer.
    struct Buttons {
        UINT affirmativeId;            // the affirmative button: yes (1000) or retry (1018)
        int32_t affirmative;           // its result
        bool affirmativeAppliesToAll;  // whether the check box counts for it
        int32_t skip;                  // the result of button 1001, skip
        int32_t cancel;                // cancel, Esc and the close box
    };

    ~CQuestionDlg() override;

    // The cancel result until a button is pressed, so a dialog that could not run, or
    // ended without a button, never lets the job go on.
    int32_t Result() const { return result_; }
    int32_t ApplyToAll() const { return applyToAll_; }
    // What the affirmative button stands for once the dialog is initialised.
    int32_t AffirmativeResult() const { return buttons_.affirmative; }

protected:
    CQuestionDlg(UINT templateId, const Buttons& buttons);

    BOOL OnCommand(UINT id, UINT notifyCode, HWND control) override;
    // No OK button: Enter presses the default button through the dialog manager, so a
    // bare IDOK is no answer and must not end the question.
    void OnOK() override;
    void OnCancel() override;

    // A dialog whose affirmative button changes meaning sets it while it initialises.
    void SetAffirmativeResult(int32_t result) { buttons_.affirmative = result; }

private:
    void Answer(int32_t result, bool readApplyToAll);

    Buttons buttons_;
    int32_t applyToAll_ = 0;
    int32_t result_;
};

}  // namespace Marlin
