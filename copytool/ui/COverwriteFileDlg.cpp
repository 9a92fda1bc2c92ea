#include "COverwriteFileDlg.h"

#include <utility>

#include "DialogIds.h"
#include "DisplayText.h"
#include "Paths.h"
#include "QuantityText.h"
#include "QuestionDialogParts.h"
#include "SluiceExceptionOverwrite.h"
#include "StringIds.h"

namespace Marlin {

using QuestionDialogParts::FileSize;
using QuestionDialogParts::Line;

COverwriteFileDlg::COverwriteFileDlg(std::wstring destinationPath, const FILETIME& destinationTime,
                                     uint64_t destinationSize, std::wstring sourcePath, const FILETIME& sourceTime,
                                     uint64_t sourceSize)
    : CQuestionDlg(IDD_OVERWRITE_FILE_DLG, {IDC_QUESTION_YES, ResultOverwrite, true, ResultSkip, ResultCancel}),
      destinationPath_(std::move(destinationPath)),
      destinationTime_(destinationTime),
      destinationSize_(destinationSize),
      sourcePath_(std::move(sourcePath)),
      sourceTime_(sourceTime),
      sourceSize_(sourceSize) {}

COverwriteFileDlg::COverwriteFileDlg(const Marlin::Sluice::SluiceExceptionOverwrite& question)
    : COverwriteFileDlg(question.destinationPath, question.destinationAttributes.ftLastWriteTime,
                        FileSize(question.destinationAttributes), question.sourcePath,
                        question.sourceAttributes.ftLastWriteTime, FileSize(question.sourceAttributes)) {}

COverwriteFileDlg::~COverwriteFileDlg() = default;

BOOL COverwriteFileDlg::OnInitDialog() {
    CQuestionDlg::OnInitDialog();
    Marlin::QuestionDialogParts::SetWarningIcon(Hwnd(), IDC_WARNING_ICON);
    ShowFile(IDC_OLD_NAME, IDC_OLD_LOCATION, IDC_OLD_SIZE, IDC_OLD_TIME, destinationPath_, destinationTime_,
             destinationSize_);
    ShowFile(IDC_NEW_NAME, IDC_NEW_LOCATION, IDC_NEW_SIZE, IDC_NEW_TIME, sourcePath_, sourceTime_, sourceSize_);
    return TRUE;
}

void COverwriteFileDlg::ShowFile(int nameId, int locationId, int sizeId, int timeId, const std::wstring& path,
                                 const FILETIME& time, uint64_t size) {
    SetItemText(nameId, Line(IDS_LINE_NAME, Marlin::GetFileNamePart(path)));
    SetItemText(locationId, Line(IDS_LINE_LOCATION, Marlin::GetParentFolder(path, 1)));
    SetItemText(sizeId, Line(IDS_LINE_SIZE, Marlin::SizeText(size)));
    SetItemText(timeId, Line(IDS_LINE_MODIFIED, Marlin::DateTimeText(time)));
}

}  // namespace Marlin
