#include "CWarningEncryptedDlg.h"

#include <utility>

#include "DialogIds.h"
#include "DisplayText.h"
#include "Paths.h"
#include "QuantityText.h"
#include "QuestionDialogParts.h"
#include "SluiceExceptionEncrypted.h"
#include "StringIds.h"

namespace Marlin {

using QuestionDialogParts::FileSize;
using QuestionDialogParts::IsFolder;
using QuestionDialogParts::Line;

CWarningEncryptedDlg::CWarningEncryptedDlg(std::wstring path, const FILETIME& time, uint64_t size, bool isFile,
                                           int32_t move)
    : CQuestionDlg(IDD_WARNING_ENCRYPTED_DLG,
                   {IDC_QUESTION_YES, ResultWithoutEncryption, true, ResultSkip, ResultCancel}),
      path_(std::move(path)),
      time_(time),
      size_(size),
      isFile_(isFile),
      move_(move) {}

CWarningEncryptedDlg::CWarningEncryptedDlg(const Marlin::Sluice::SluiceExceptionEncrypted& question, int32_t move)
    : CWarningEncryptedDlg(question.path,
                           IsFolder(question.attributes) ? question.attributes.ftCreationTime
                                                         : question.attributes.ftLastWriteTime,
                           IsFolder(question.attributes) ? 0 : FileSize(question.attributes),
                           !IsFolder(question.attributes), move) {}

CWarningEncryptedDlg::~CWarningEncryptedDlg() = default;

BOOL CWarningEncryptedDlg::OnInitDialog() {
    CQuestionDlg::OnInitDialog();
    Marlin::QuestionDialogParts::SetWarningIcon(Hwnd(), IDC_WARNING_ICON);
    SetItemText(IDC_ITEM_NAME, Marlin::GetFileNamePart(path_));
    if (isFile_) {
        SetItemText(IDC_ITEM_SIZE, Line(IDS_LINE_SIZE, Marlin::SizeText(size_)));
        SetItemText(IDC_ITEM_TIME, Line(IDS_LINE_MODIFIED, Marlin::DateTimeText(time_)));
    } else {
        SetItemText(IDC_ITEM_TIME, Line(IDS_LINE_CREATED, Marlin::DateTimeText(time_)));
    }
    const std::wstring kind = KindWord(isFile_);
    const std::wstring operation = OperationWord(move_ != 0);
    SetItemText(IDC_QUESTION_TEXT, Line(IDS_ENCRYPTION_QUESTION, kind, operation));
    SetItemText(IDC_QUESTION_DETAIL, Line(IDS_ENCRYPTION_EXPLANATION, kind, operation));
    return TRUE;
}

}  // namespace Marlin
