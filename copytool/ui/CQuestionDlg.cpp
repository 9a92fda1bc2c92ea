#include "CQuestionDlg.h"

#include "DialogIds.h"

namespace Marlin {

CQuestionDlg::CQuestionDlg(UINT templateId, const Buttons& buttons)
    : CDialog(templateId), buttons_(buttons), result_(buttons.cancel) {}

CQuestionDlg::~CQuestionDlg() = default;

BOOL CQuestionDlg::OnCommand(UINT id, UINT notifyCode, HWND control) {
    if (notifyCode == BN_CLICKED) {
        if (id == buttons_.affirmativeId) {
            Answer(buttons_.affirmative, buttons_.affirmativeAppliesToAll);
            return TRUE;
        }
        if (id == IDC_QUESTION_SKIP) {
            Answer(buttons_.skip, true);
            return TRUE;
        }
    }
    return CDialog::OnCommand(id, notifyCode, control);
}

void CQuestionDlg::OnOK() {}

void CQuestionDlg::OnCancel() { Answer(buttons_.cancel, true); }

void CQuestionDlg::Answer(int32_t result, bool readApplyToAll) {
    applyToAll_ = readApplyToAll && IsChecked(IDC_APPLY_TO_ALL) ? 1 : 0;
    result_ = result;
    EndDialog(IDOK);
}

}  // namespace Marlin
