// Each question dialog, closed by each of its buttons, Enter, Esc, the close box and the
// system menu, with and without the apply-to-all check box: the answer and apply-to-all
// that reach the engine, and which dialog each question opened.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "DialogControls.h"
#include "DialogIds.h"
#include "DialogThread.h"
#include "QuestionDialogs.h"
#include "QuestionFixtures.h"
#include "TestHarness.h"

using namespace quaytest;

namespace {

enum class Press { Affirmative, Skip, Cancel };

struct QuestionKind {
    const char* name;
    std::function<std::unique_ptr<Marlin::Exception>()> make;
    int affirmativeId;
    int32_t affirmativeAnswer;
    // Retry and continue-as-administrator are never remembered.
    bool affirmativeKeepsApplyToAll;
    const wchar_t* title;  // empty: the caption depends on the item
    int presentId;         // a control only this dialog's template has ...
    int absentId;          // ... or, with this one, tells two templates apart
};

const FILETIME kCreated = Moment(2020, 3, 4, 5, 6);
const FILETIME kWritten = Moment(2024, 7, 8, 9, 10);

const QuestionKind kKinds[] = {
    {"retry question",
     [] {
         Item file = FileItem(10, kCreated, kWritten);
         return RetryQuestion(ERROR_SHARING_VIOLATION, L"C:\\q\\f.txt", &file, 1);
     },
     IDC_QUESTION_RETRY, 1, false, L"", IDC_QUESTION_RETRY, 0},
    {"access denied, administrator rights on offer",
     [] {
         Item file = FileItem(10, kCreated, kWritten);
         return RetryQuestion(ERROR_ACCESS_DENIED, L"C:\\q\\f.txt", &file, 0);
     },
     IDC_QUESTION_RETRY, 6, false, L"", IDC_QUESTION_RETRY, 0},
    {"folder over file",
     [] {
         return OverwriteQuestion(L"C:\\s\\x", FolderItem(kCreated, kWritten), L"C:\\d\\x",
                                  FileItem(5, kCreated, kWritten));
     },
     IDC_QUESTION_RETRY, 1, false, L"", IDC_QUESTION_RETRY, 0},
    {"file over folder",
     [] {
         return OverwriteQuestion(L"C:\\s\\x", FileItem(5, kCreated, kWritten), L"C:\\d\\x",
                                  FolderItem(kCreated, kWritten));
     },
     IDC_QUESTION_RETRY, 1, false, L"", IDC_QUESTION_RETRY, 0},
    {"file over file",
     [] {
         return OverwriteQuestion(L"C:\\s\\x", FileItem(5, kCreated, kWritten), L"C:\\d\\x",
                                  FileItem(6, kCreated, kWritten));
     },
     IDC_QUESTION_YES, 5, true, L"ファイルの上書きの確認", IDC_OLD_LOCATION, 0},
    {"folder over folder",
     [] {
         return OverwriteQuestion(L"C:\\s\\x", FolderItem(kCreated, kWritten), L"C:\\d\\x",
                                  FolderItem(kCreated, kWritten));
     },
     IDC_QUESTION_YES, 5, true, L"フォルダーの上書きの確認", IDC_OLD_NAME, IDC_OLD_LOCATION},
    {"encrypted file",
     [] { return EncryptedQuestion(L"C:\\s\\secret.doc", FileItem(5, kCreated, kWritten)); },
     IDC_QUESTION_YES, 4, true, L"暗号化の損失の確認", IDC_QUESTION_TEXT, 0},
    {"encrypted folder",
     [] { return EncryptedQuestion(L"C:\\s\\vault", FolderItem(kCreated, kWritten)); },
     IDC_QUESTION_YES, 4, true, L"暗号化の損失の確認", IDC_QUESTION_TEXT, 0},
};

struct CloseWay {
    const char* name;
    std::function<void(HWND, const QuestionKind&)> act;
    Press means;
};

const CloseWay kCloseWays[] = {
    {"affirmative button", [](HWND d, const QuestionKind& k) { Click(d, k.affirmativeId); }, Press::Affirmative},
    {"Enter", [](HWND d, const QuestionKind&) { PressKey(d, VK_RETURN); }, Press::Affirmative},
    {"skip button", [](HWND d, const QuestionKind&) { Click(d, IDC_QUESTION_SKIP); }, Press::Skip},
    {"cancel button", [](HWND d, const QuestionKind&) { Click(d, IDCANCEL); }, Press::Cancel},
    {"Esc", [](HWND d, const QuestionKind&) { PressKey(d, VK_ESCAPE); }, Press::Cancel},
    {"close box", [](HWND d, const QuestionKind&) { CloseBox(d); }, Press::Cancel},
    {"system menu close", [](HWND d, const QuestionKind&) { SystemMenuClose(d); }, Press::Cancel},
};

struct Outcome {
    int32_t answer = -1;
    int32_t applyToAll = -1;
    bool closed = false;
};

// Asks question on a thread of its own, lets look and act work the dialog, and returns
// what AskQuestion gave back once the dialog has closed.
Outcome Ask(const Marlin::Exception& question, int32_t move, const std::function<void(HWND)>& look,
            const std::function<void(HWND)>& act) {
    Outcome outcome;
    DialogThread thread([&] { Marlin::AskQuestion(nullptr, &question, move, outcome.answer, outcome.applyToAll); });
    HWND dialog = thread.WaitForDialog();
    REQUIRE(dialog != nullptr);
    look(dialog);
    act(dialog);
    outcome.closed = thread.Join();
    CHECK(!thread.Threw());
    return outcome;
}

}  // namespace

TEST_CASE("every way of closing a question dialog gives the engine its answer and apply-to-all") {
    for (const auto& kind : kKinds) {
        for (const auto& way : kCloseWays) {
            for (bool check : {false, true}) {
                CONTEXT(std::string(kind.name) + ", " + way.name + (check ? ", box checked" : ", box clear"));
                auto question = kind.make();
                Outcome outcome = Ask(
                    *question, 0,
                    [&](HWND dialog) {
                        if (!check) return;
                        Click(dialog, IDC_APPLY_TO_ALL);
                        CHECK(IsChecked(dialog, IDC_APPLY_TO_ALL));
                    },
                    [&](HWND dialog) { way.act(dialog, kind); });
                REQUIRE(outcome.closed);
                switch (way.means) {
                case Press::Affirmative:
                    CHECK_EQ(outcome.answer, kind.affirmativeAnswer);
                    CHECK_EQ(outcome.applyToAll, kind.affirmativeKeepsApplyToAll && check ? 1 : 0);
                    break;
                case Press::Skip:
                    CHECK_EQ(outcome.answer, 2);
                    CHECK_EQ(outcome.applyToAll, check ? 1 : 0);
                    break;
                case Press::Cancel:
                    CHECK_EQ(outcome.answer, 3);
                    CHECK_EQ(outcome.applyToAll, check ? 1 : 0);
                    break;
                }
            }
        }
    }
}

TEST_CASE("each question opens its own dialog, with the affirmative button as the default at the left") {
    for (const auto& kind : kKinds) {
        CONTEXT(kind.name);
        auto question = kind.make();
        Outcome outcome = Ask(
            *question, 0,
            [&](HWND dialog) {
                CHECK(GetDlgItem(dialog, kind.presentId) != nullptr);
                if (kind.absentId) CHECK(GetDlgItem(dialog, kind.absentId) == nullptr);
                if (*kind.title) CHECK_EQ(WindowText(dialog), std::wstring(kind.title));
                // The template of the error question has no button 1000, the others no 1018.
                const int otherAffirmative = kind.affirmativeId == IDC_QUESTION_RETRY ? IDC_QUESTION_YES : IDC_QUESTION_RETRY;
                CHECK(GetDlgItem(dialog, otherAffirmative) == nullptr);

                CHECK(IsDefaultButton(dialog, kind.affirmativeId));
                CHECK(!IsDefaultButton(dialog, IDC_QUESTION_SKIP));
                CHECK(!IsDefaultButton(dialog, IDCANCEL));
                CHECK_EQ(DefaultId(dialog), kind.affirmativeId);

                const RECT yes = ControlRect(dialog, kind.affirmativeId);
                const RECT skip = ControlRect(dialog, IDC_QUESTION_SKIP);
                const RECT cancel = ControlRect(dialog, IDCANCEL);
                const RECT box = ControlRect(dialog, IDC_APPLY_TO_ALL);
                CHECK(yes.left < skip.left);
                CHECK(skip.left < cancel.left);
                CHECK(yes.top == skip.top && skip.top == cancel.top);
                CHECK(box.top >= yes.bottom);
                CHECK(box.left < yes.left);
                CHECK(!IsChecked(dialog, IDC_APPLY_TO_ALL));
                // The dialog owns the keyboard, starting at its default button.
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                CHECK(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info));
                CHECK(info.hwndFocus == GetDlgItem(dialog, kind.affirmativeId));
            },
            [&](HWND dialog) { Click(dialog, IDCANCEL); });
        CHECK(outcome.closed);
    }
}

TEST_CASE("the check box is a toggle: checked twice is clear again") {
    auto question = kKinds[4].make();
    Outcome outcome = Ask(
        *question, 0,
        [&](HWND dialog) {
            Click(dialog, IDC_APPLY_TO_ALL);
            Click(dialog, IDC_APPLY_TO_ALL);
            CHECK(!IsChecked(dialog, IDC_APPLY_TO_ALL));
        },
        [&](HWND dialog) { Click(dialog, IDC_QUESTION_SKIP); });
    CHECK_EQ(outcome.answer, 2);
    CHECK_EQ(outcome.applyToAll, 0);
}
