#include "COverwriteFolderDlg.h"

#include <utility>

#include "DialogIds.h"
#include "DisplayText.h"
#include "Paths.h"
#include "QuantityText.h"
#include "QuestionDialogParts.h"
#include "SluiceExceptionOverwrite.h"
#include "StringIds.h"

namespace Marlin {

using QuestionDialogParts::Line;

COverwriteFolderDlg::Folder COverwriteFolderDlg::FolderOf(const std::wstring& path,
                                                          const WIN32_FILE_ATTRIBUTE_DATA& attributes) {
    Folder folder;
    if (Marlin::IsDriveRoot(path)) {
        folder.displayName = path;
        return folder;
    }
    folder.displayName = Marlin::GetFileNamePart(path);
    folder.creationTimeKnown = true;
    folder.creationTime = attributes.ftCreationTime;
    return folder;
}

COverwriteFolderDlg::COverwriteFolderDlg(Folder destination, Folder source)
    : CQuestionDlg(IDD_OVERWRITE_FOLDER_DLG, {IDC_QUESTION_YES, ResultMerge, true, ResultSkip, ResultCancel}),
      destination_(std::move(destination)),
      source_(std::move(source)) {}

COverwriteFolderDlg::COverwriteFolderDlg(const Marlin::Sluice::SluiceExceptionOverwrite& question)
    : COverwriteFolderDlg(FolderOf(question.destinationPath, question.destinationAttributes),
                          FolderOf(question.sourcePath, question.sourceAttributes)) {}

COverwriteFolderDlg::~COverwriteFolderDlg() = default;

BOOL COverwriteFolderDlg::OnInitDialog() {
    CQuestionDlg::OnInitDialog();
    Marlin::QuestionDialogParts::SetWarningIcon(Hwnd(), IDC_WARNING_ICON);
    ShowFolder(IDC_OLD_NAME, IDC_OLD_TIME, destination_);
    ShowFolder(IDC_NEW_NAME, IDC_NEW_TIME, source_);
    return TRUE;
}

void COverwriteFolderDlg::ShowFolder(int nameId, int timeId, const Folder& folder) {
    SetItemText(nameId, Line(IDS_LINE_NAME, folder.displayName));
    if (folder.creationTimeKnown) SetItemText(timeId, Line(IDS_LINE_CREATED, Marlin::DateTimeText(folder.creationTime)));
}

}  // namespace Marlin
