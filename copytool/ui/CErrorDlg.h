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

#include "CQuestionDlg.h"

namespace Marlin::Sluice {
class SluiceExceptionOverwrite;
class SluiceExceptionRetryFile;
}  // namespace Marlin::Sluice

namespace Marlin {

class CErrorDlg : public CQuestionDlg {
public:
    // Button 1018 answers retry, or continue as administrator (AffirmativeResult());
    // neither is ever applied to all.
    enum : int32_t {
        ResultRetry = 0,
        ResultContinueAsAdministrator = 1,
        ResultSkip = 2,
        ResultCancel = 3,
    };

    // Both borrow the exception, which must outlive the dialog.
    CErrorDlg(const Marlin::Sluice::SluiceExceptionRetryFile& retry, int32_t move);
    CErrorDlg(const Marlin::Sluice::SluiceExceptionOverwrite& conflict, int32_t move);
    ~CErrorDlg() override;

protected:
    BOOL OnInitDialog() override;

private:
    void ShowRetryForm();
    void ShowConflictForm();

    const Marlin::Sluice::SluiceExceptionRetryFile* retry_ = nullptr;
    const Marlin::Sluice::SluiceExceptionOverwrite* conflict_ = nullptr;
    int32_t move_;
};

}  // namespace Marlin
