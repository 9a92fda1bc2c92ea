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

using Marlin::QuestionDialogParts::Line;

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
    : CDialog(IDD_OVERWRITE_FOLDER_DLG), destination_(std::move(destination)), source_(std::move(source)) {}

COverwriteFolderDlg::COverwriteFolderDlg(const Marlin::Sluice::SluiceExceptionOverwrite& question)
    : COverwriteFolderDlg(FolderOf(question.destinationPath, question.destinationAttributes),
                          FolderOf(question.sourcePath, question.sourceAttributes)) {}

COverwriteFolderDlg::~COverwriteFolderDlg() = default;

BOOL COverwriteFolderDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Marlin::QuestionDialogParts::SetWarningIcon(Hwnd(), IDC_WARNING_ICON);
    ShowFolder(IDC_OLD_NAME, IDC_OLD_TIME, destination_);
    ShowFolder(IDC_NEW_NAME, IDC_NEW_TIME, source_);
    return TRUE;
}

void COverwriteFolderDlg::ShowFolder(int nameId, int timeId, const Folder& folder) {
    SetItemText(nameId, Line(IDS_LINE_NAME, folder.displayName));
    if (folder.creationTimeKnown) SetItemText(timeId, Line(IDS_LINE_CREATED, Marlin::DateTimeText(folder.creationTime)));
}

BOOL COverwriteFolderDlg::OnCommand(UINT id, UINT notifyCode, HWND control) {
    if (notifyCode == BN_CLICKED) {
        if (id == IDC_QUESTION_YES) {
            Answer(ResultMerge);
            return TRUE;
        }
        if (id == IDC_QUESTION_SKIP) {
            Answer(ResultSkip);
            return TRUE;
        }
    }
    return CDialog::OnCommand(id, notifyCode, control);
}

// No OK button: Enter presses the default button (yes) through the dialog manager.
void COverwriteFolderDlg::OnOK() {}

void COverwriteFolderDlg::OnCancel() { Answer(ResultCancel); }

void COverwriteFolderDlg::Answer(int32_t result) {
    applyToAll_ = IsChecked(IDC_APPLY_TO_ALL) ? 1 : 0;
    result_ = result;
    EndDialog(IDOK);
}

}  // namespace Marlin
