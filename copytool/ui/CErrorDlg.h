// The error question (template 9), in one of two forms:
// - retry: a platform call on an item failed (SluiceExceptionRetryFile). Retry, skip or
//   cancel; when access was denied and the process could gain administrator rights the
//   affirmative button becomes "続行(&C)" with the shield and continues elevated instead.
// - conflict: a file meets a folder of the same name or the other way round
//   (SluiceExceptionOverwrite whose two items differ in kind). Nothing can be
//   overwritten; the user may rename something and retry, skip or cancel. The caller
//   chooses this form only for such a pair.
// The check box applies skip or cancel to all later questions of the kind. Retry and
// continue never do: a remembered retry would loop without asking.
#pragma once

#include <windows.h>

#include <cstdint>

#include "CDialog.h"

namespace Marlin::Sluice {
class SluiceExceptionOverwrite;
class SluiceExceptionRetryFile;
}  // namespace Marlin::Sluice

namespace Marlin {

class CErrorDlg : public CDialog {
public:
    enum Result : int32_t {
        ResultRetry = 0,
        ResultContinueAsAdministrator = 1,
        ResultSkip = 2,
        ResultCancel = 3,
    };

    // Both borrow the exception, which must outlive the dialog.
    CErrorDlg(const Marlin::Sluice::SluiceExceptionRetryFile& retry, int32_t move);
    CErrorDlg(const Marlin::Sluice::SluiceExceptionOverwrite& conflict, int32_t move);
    ~CErrorDlg() override;

    // Cancel until a button is pressed, so a dialog that could not run, or ended
    // without a button, never lets the job go on.
    int32_t Result() const { return result_; }
    int32_t ApplyToAll() const { return applyToAll_; }
    // What button 1018 stands for once the dialog is initialised: retry, or continue
    // as administrator.
    int32_t AffirmativeResult() const { return affirmativeResult_; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(UINT id, UINT notifyCode, HWND control) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void ShowRetryForm();
    void ShowConflictForm();
    void Answer(int32_t result, bool readApplyToAll);

    const Marlin::Sluice::SluiceExceptionRetryFile* retry_ = nullptr;
    const Marlin::Sluice::SluiceExceptionOverwrite* conflict_ = nullptr;
    int32_t move_;
    int32_t applyToAll_ = 0;
    int32_t result_ = ResultCancel;
    int32_t affirmativeResult_ = ResultRetry;
};

}  // namespace Marlin
