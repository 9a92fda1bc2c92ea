// Which dialog a question of the engine gets, and what happens to everything that is no
// question: no dialog at all, and the answer the engine expects for it.
#include <windows.h>

#include <memory>

#include "DialogThread.h"
#include "QuestionDialogs.h"
#include "QuestionFixtures.h"
#include "SluiceException.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using namespace quaytest;
using Marlin::QuestionDialogKind;
using Marlin::Sluice::SluiceException;

TEST_CASE("a question gets the dialog of its type and, for an overwrite, of its two kinds") {
    const FILETIME t = Moment(2022, 1, 1, 0, 0);
    const Item file = FileItem(1, t, t);
    const Item folder = FolderItem(t, t);
    // A folder that is also read-only or hidden is still a folder.
    Item markedFolder = folder;
    markedFolder.attributes |= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

    struct Row {
        const char* name;
        std::unique_ptr<SluiceException> question;
        QuestionDialogKind kind;
    };
    Row rows[] = {
        {"retry", RetryQuestion(5, L"C:\\a", &file, 1), QuestionDialogKind::Retry},
        {"folder over folder", OverwriteQuestion(L"C:\\a", folder, L"C:\\b", markedFolder),
         QuestionDialogKind::FolderOverFolder},
        {"folder over file", OverwriteQuestion(L"C:\\a", markedFolder, L"C:\\b", file), QuestionDialogKind::FolderOverFile},
        {"file over folder", OverwriteQuestion(L"C:\\a", file, L"C:\\b", folder), QuestionDialogKind::FileOverFolder},
        {"file over file", OverwriteQuestion(L"C:\\a", file, L"C:\\b", file), QuestionDialogKind::FileOverFile},
        {"encrypted", EncryptedQuestion(L"C:\\a", file), QuestionDialogKind::Encrypted},
        {"cancelled", std::make_unique<SluiceException>(SluiceException::Cancelled), QuestionDialogKind::None},
        {"elevation", std::make_unique<SluiceException>(SluiceException::ElevationRequested), QuestionDialogKind::None},
        {"free space", std::make_unique<SluiceException>(SluiceException::NotFreeSpace), QuestionDialogKind::None},
        // A type number without the class that carries the question's data.
        {"bare retry type", std::make_unique<SluiceException>(SluiceException::RetryQuestion), QuestionDialogKind::None},
        {"bare overwrite type", std::make_unique<SluiceException>(SluiceException::OverwriteQuestion),
         QuestionDialogKind::None},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        CHECK_EQ(static_cast<int>(Marlin::ChooseQuestionDialog(*row.question)), static_cast<int>(row.kind));
    }
}

TEST_CASE("what is no question opens no dialog and gets the answer the engine expects") {
    const SluiceException cancelled(SluiceException::Cancelled);
    const SluiceException bareRetry(SluiceException::RetryQuestion);
    const Marlin::WindowsFileException platform(ERROR_ACCESS_DENIED, L"C:\\a");
    struct Row {
        const char* name;
        const Marlin::Exception* question;
        int32_t answer;
    };
    const Row rows[] = {
        {"an engine exception of another type: no answer", &cancelled, 0},
        {"an engine exception without its question's data: no answer", &bareRetry, 0},
        {"a platform error outside the engine: cancel", &platform, 3},
        {"no exception at all: cancel", nullptr, 3},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        int32_t answer = -1, applyToAll = -1;
        DialogThread thread([&] { Marlin::AskQuestion(nullptr, row.question, 0, answer, applyToAll); });
        REQUIRE(thread.Join(5000));
        CHECK_EQ(answer, row.answer);
        CHECK_EQ(applyToAll, 0);
    }
}
