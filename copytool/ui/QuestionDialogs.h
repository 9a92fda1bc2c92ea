// The question dialogs as the progress dialog uses them: which dialog a question of the
// engine gets, and how the button pressed becomes the engine's answer (retry 1, skip 2,
// cancel 3, without encryption 4, overwrite or merge 5, as administrator 6) with the
// state of the apply-to-all check box.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Marlin {
class Exception;
namespace Sluice {
class SluiceException;
}
}  // namespace Marlin

namespace Marlin {

enum class QuestionDialogKind {
    None,              // not a question: no dialog
    Retry,             // CErrorDlg, retry form (may offer administrator rights)
    FolderOverFile,    // CErrorDlg, conflict form
    FileOverFolder,    // CErrorDlg, conflict form
    FileOverFile,      // COverwriteFileDlg
    FolderOverFolder,  // COverwriteFolderDlg
    Encrypted,         // CWarningEncryptedDlg
};

// By the exception's type and, for an overwrite, the kinds of its two items. A type
// that does not match the exception's class (possible only for a damaged exception) gets
// no dialog.
QuestionDialogKind ChooseQuestionDialog(const Sluice::SluiceException& question);

// CErrorDlg's result (retry 0, administrator 1, skip 2, cancel 3) as an answer; anything
// else is cancel.
int32_t AnswerOfErrorResult(int32_t result);
// The result of the other three dialogs (affirmative 0, skip 1, cancel 2) as an answer,
// affirmative being the dialog's own (4 or 5); anything else is cancel.
int32_t AnswerOfConfirmResult(int32_t result, int32_t affirmativeAnswer);

// Asks the question modally above owner (null for none) and sets answer and applyToAll.
// A SluiceException of a type that is no question leaves answer 0; an exception outside
// the engine's (or none) gets answer 3. applyToAll is 0 unless the user checked the box
// (and never with retry or administrator).
void AskQuestion(HWND owner, const Exception* question, int32_t move, int32_t& answer, int32_t& applyToAll);

}  // namespace Marlin
