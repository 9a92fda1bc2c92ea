#include "CErrorDlg.h"

#include <commctrl.h>

#include <string>

#include "DialogIds.h"
#include "DisplayText.h"
#include "ErrorText.h"
#include "Paths.h"
#include "QuantityText.h"
#include "QuestionDialogParts.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "StringIds.h"

namespace Marlin {

using QuestionDialogParts::FileSize;
using QuestionDialogParts::IsFolder;
using QuestionDialogParts::Line;
using QuestionDialogParts::Word;

namespace {

// A remembered retry or elevation would repeat itself without asking.
constexpr CQuestionDlg::Buttons kErrorButtons{IDC_QUESTION_RETRY, CErrorDlg::ResultRetry, false,
                                              CErrorDlg::ResultSkip, CErrorDlg::ResultCancel};

}  // namespace

CErrorDlg::CErrorDlg(const Marlin::Sluice::SluiceExceptionRetryFile& retry, int32_t move)
    : CQuestionDlg(IDD_ERROR_DLG, kErrorButtons), retry_(&retry), move_(move) {}

CErrorDlg::CErrorDlg(const Marlin::Sluice::SluiceExceptionOverwrite& conflict, int32_t move)
    : CQuestionDlg(IDD_ERROR_DLG, kErrorButtons), conflict_(&conflict), move_(move) {}

CErrorDlg::~CErrorDlg() = default;

BOOL CErrorDlg::OnInitDialog() {
    CQuestionDlg::OnInitDialog();
    // The template's texts are placeholders; a line this question has nothing for
    // stays empty.
    for (int id : {IDC_QUESTION_MESSAGE, IDC_QUESTION_DETAIL, IDC_ITEM_NAME, IDC_ITEM_LOCATION, IDC_ITEM_SIZE,
                   IDC_ITEM_TIME})
        SetItemText(id, L"");
    Marlin::QuestionDialogParts::SetWarningIcon(Hwnd(), IDC_WARNING_ICON);
    SetAffirmativeResult(ResultRetry);
    if (retry_)
        ShowRetryForm();
    else if (conflict_)
        ShowConflictForm();
    return TRUE;
}

void CErrorDlg::ShowRetryForm() {
    const auto& e = *retry_;
    // Without valid attributes the item may be anything; the folder word is the one
    // that fits a path whose kind is unknown (often the parent folder of a lost item).
    const bool isFile = e.attributesValid == 1 && !IsFolder(e.attributes);
    SetWindowTitle(Marlin::Caption(move_ != 0, isFile));

    // A retry question received without its platform error has no reason to show; the
    // text of error 0 ("completed successfully") would be nonsense here.
    const bool hasError = e.inner != nullptr;
    const uint32_t error = hasError ? e.inner->error : 0;
    if (hasError) SetItemText(IDC_QUESTION_MESSAGE, Marlin::WindowsErrorText(error));

    if (hasError && error == ERROR_ACCESS_DENIED && e.elevated == 0) {
        SetAffirmativeResult(ResultContinueAsAdministrator);
        SetItemText(IDC_QUESTION_RETRY, Word(IDS_CONTINUE_BUTTON));
        SendDlgItemMessageW(Hwnd(), IDC_QUESTION_RETRY, BCM_SETSHIELD, 0, TRUE);
        SetItemText(IDC_QUESTION_DETAIL, Line(IDS_ERROR_NEEDS_ADMINISTRATOR, OperationWord(move_ != 0)));
    } else if (hasError && error == ERROR_SHARING_VIOLATION) {
        SetItemText(IDC_QUESTION_DETAIL, Word(IDS_ERROR_SHARING_VIOLATION));
    }

    if (e.path.empty()) return;
    if (Marlin::IsDriveRoot(e.path)) {
        SetItemText(IDC_ITEM_NAME, Line(IDS_LINE_NAME, e.path));
        return;
    }
    SetItemText(IDC_ITEM_NAME, Line(IDS_LINE_NAME, Marlin::GetFileNamePart(e.path)));
    SetItemText(IDC_ITEM_LOCATION, Line(IDS_LINE_LOCATION, Marlin::GetParentFolder(e.path, 1)));
    if (e.attributesValid != 1) return;
    if (isFile) {
        SetItemText(IDC_ITEM_TIME, Line(IDS_LINE_MODIFIED, Marlin::DateTimeText(e.attributes.ftLastWriteTime)));
        SetItemText(IDC_ITEM_SIZE, Line(IDS_LINE_SIZE, Marlin::SizeText(FileSize(e.attributes))));
    } else {
        SetItemText(IDC_ITEM_TIME, Line(IDS_LINE_CREATED, Marlin::DateTimeText(e.attributes.ftCreationTime)));
    }
}

void CErrorDlg::ShowConflictForm() {
    const auto& e = *conflict_;
    const bool sourceIsFolder = IsFolder(e.sourceAttributes);
    SetWindowTitle(Marlin::Caption(move_ != 0, !sourceIsFolder));
    // Source kind first, then the kind of what is in the way.
    SetItemText(IDC_QUESTION_MESSAGE,
                Line(IDS_ERROR_NAME_CONFLICT, KindWord(!sourceIsFolder), KindWord(sourceIsFolder)));
    if (!sourceIsFolder) {
        // A stream stands for its file: show the file the user knows.
        const std::wstring source = Marlin::RemoveStreamName(e.sourcePath);
        SetItemText(IDC_ITEM_NAME, Line(IDS_LINE_NAME, Marlin::GetFileNamePart(source)));
        SetItemText(IDC_ITEM_LOCATION, Line(IDS_LINE_LOCATION, Marlin::GetParentFolder(source, 1)));
        SetItemText(IDC_ITEM_TIME, Line(IDS_LINE_MODIFIED, Marlin::DateTimeText(e.sourceAttributes.ftLastWriteTime)));
        SetItemText(IDC_ITEM_SIZE, Line(IDS_LINE_SIZE, Marlin::SizeText(FileSize(e.sourceAttributes))));
        return;
    }
    if (Marlin::IsDriveRoot(e.sourcePath)) {
        SetItemText(IDC_ITEM_NAME, Line(IDS_LINE_NAME, e.sourcePath));
        return;
    }
    SetItemText(IDC_ITEM_NAME, Line(IDS_LINE_NAME, Marlin::GetFileNamePart(e.sourcePath)));
    SetItemText(IDC_ITEM_LOCATION, Line(IDS_LINE_LOCATION, Marlin::GetParentFolder(e.sourcePath, 1)));
    SetItemText(IDC_ITEM_TIME, Line(IDS_LINE_CREATED, Marlin::DateTimeText(e.sourceAttributes.ftCreationTime)));
}

}  // namespace Marlin
