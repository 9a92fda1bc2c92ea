#include "QuestionDialogs.h"

#include "CErrorDlg.h"
#include "COverwriteFileDlg.h"
#include "COverwriteFolderDlg.h"
#include "CWarningEncryptedDlg.h"
#include "QuestionDialogParts.h"
#include "SluiceCoreEvent.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"

namespace Marlin {

using Sluice::SluiceCoreEvent;
using Sluice::SluiceException;
using Sluice::SluiceExceptionEncrypted;
using Sluice::SluiceExceptionOverwrite;
using Sluice::SluiceExceptionRetryFile;

QuestionDialogKind ChooseQuestionDialog(const SluiceException& question) {
    switch (question.type) {
    case SluiceException::RetryQuestion:
        return dynamic_cast<const SluiceExceptionRetryFile*>(&question) ? QuestionDialogKind::Retry
                                                                         : QuestionDialogKind::None;
    case SluiceException::OverwriteQuestion: {
        const auto* overwrite = dynamic_cast<const SluiceExceptionOverwrite*>(&question);
        if (!overwrite) return QuestionDialogKind::None;
        const bool sourceIsFolder = QuestionDialogParts::IsFolder(overwrite->sourceAttributes);
        const bool destinationIsFolder = QuestionDialogParts::IsFolder(overwrite->destinationAttributes);
        if (sourceIsFolder)
            return destinationIsFolder ? QuestionDialogKind::FolderOverFolder : QuestionDialogKind::FolderOverFile;
        return destinationIsFolder ? QuestionDialogKind::FileOverFolder : QuestionDialogKind::FileOverFile;
    }
    case SluiceException::EncryptionQuestion:
        return dynamic_cast<const SluiceExceptionEncrypted*>(&question) ? QuestionDialogKind::Encrypted
                                                                         : QuestionDialogKind::None;
    default:
        return QuestionDialogKind::None;
    }
}

int32_t AnswerOfErrorResult(int32_t result) {
    switch (result) {
    case CErrorDlg::ResultRetry:
        return SluiceCoreEvent::Retry;
    case CErrorDlg::ResultContinueAsAdministrator:
        return SluiceCoreEvent::Elevate;
    case CErrorDlg::ResultSkip:
        return SluiceCoreEvent::Skip;
    default:
        return SluiceCoreEvent::Cancel;
    }
}

int32_t AnswerOfConfirmResult(int32_t result, int32_t affirmativeAnswer) {
    // The three confirmation dialogs number their results alike.
    static_assert(COverwriteFileDlg::ResultSkip == 1 && COverwriteFolderDlg::ResultSkip == 1 &&
                  CWarningEncryptedDlg::ResultSkip == 1);
    switch (result) {
    case 0:
        return affirmativeAnswer;
    case 1:
        return SluiceCoreEvent::Skip;
    default:
        return SluiceCoreEvent::Cancel;
    }
}

void AskQuestion(HWND owner, const Exception* question, int32_t move, int32_t& answer, int32_t& applyToAll) {
    answer = 0;
    applyToAll = 0;
    const auto* sluice = dynamic_cast<const SluiceException*>(question);
    if (!sluice) {
        answer = SluiceCoreEvent::Cancel;
        return;
    }
    switch (ChooseQuestionDialog(*sluice)) {
    case QuestionDialogKind::Retry: {
        CErrorDlg dialog(static_cast<const SluiceExceptionRetryFile&>(*sluice), move);
        dialog.DoModal(owner);
        answer = AnswerOfErrorResult(dialog.Result());
        applyToAll = dialog.ApplyToAll();
        break;
    }
    case QuestionDialogKind::FolderOverFile:
    case QuestionDialogKind::FileOverFolder: {
        CErrorDlg dialog(static_cast<const SluiceExceptionOverwrite&>(*sluice), move);
        dialog.DoModal(owner);
        answer = AnswerOfErrorResult(dialog.Result());
        applyToAll = dialog.ApplyToAll();
        break;
    }
    case QuestionDialogKind::FileOverFile: {
        COverwriteFileDlg dialog(static_cast<const SluiceExceptionOverwrite&>(*sluice));
        dialog.DoModal(owner);
        answer = AnswerOfConfirmResult(dialog.Result(), SluiceCoreEvent::Overwrite);
        applyToAll = dialog.ApplyToAll();
        break;
    }
    case QuestionDialogKind::FolderOverFolder: {
        COverwriteFolderDlg dialog(static_cast<const SluiceExceptionOverwrite&>(*sluice));
        dialog.DoModal(owner);
        answer = AnswerOfConfirmResult(dialog.Result(), SluiceCoreEvent::Overwrite);
        applyToAll = dialog.ApplyToAll();
        break;
    }
    case QuestionDialogKind::Encrypted: {
        CWarningEncryptedDlg dialog(static_cast<const SluiceExceptionEncrypted&>(*sluice), move);
        dialog.DoModal(owner);
        answer = AnswerOfConfirmResult(dialog.Result(), SluiceCoreEvent::WithoutEncryption);
        applyToAll = dialog.ApplyToAll();
        break;
    }
    case QuestionDialogKind::None:
        break;
    }
}

}  // namespace Marlin
