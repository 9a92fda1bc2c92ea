// Errors and questions from the engine: the message box's text and caption, and each kind
// of question going to its dialog, with the answer written into the event before the
// engine's call returns.
#include <windows.h>

#include <algorithm>
#include <string>

#include "DialogIds.h"
#include "ErrorText.h"
#include "PopupWatcher.h"
#include "ScriptedProgressDlg.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionOverwrite.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;
using Marlin::Sluice::SluiceExceptionOverwrite;
using quaytest::EngineFeeder;
using quaytest::PopupSeen;
using quaytest::PopupWatcher;
using quaytest::ScriptedProgressDlg;

namespace {

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& wanted) {
    return std::find(texts.begin(), texts.end(), wanted) != texts.end();
}

PopupSeen ErrorBox(int32_t move, const Marlin::Exception* error) {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", move);
    PopupSeen seen;
    dialog.RunWith([&](EngineFeeder& feeder) {
        PopupWatcher watcher(feeder.Dialog(), IDOK);
        feeder.Error(error);
        seen = watcher.Finish();
    });
    return seen;
}

}  // namespace

TEST_CASE("an error with a path: the path, a blank line, the system's text; the caption names the folder kind") {
    const Marlin::WindowsFileException denied(ERROR_ACCESS_DENIED, L"C:\\src\\a\\locked.txt");
    const PopupSeen copy = ErrorBox(0, &denied);
    REQUIRE(copy.appeared);
    CHECK_EQ(copy.title, std::wstring(L"フォルダーのコピー"));
    CHECK(Contains(copy.texts, L"C:\\src\\a\\locked.txt\n\n" + Marlin::WindowsErrorText(ERROR_ACCESS_DENIED)));
    CHECK(!Marlin::WindowsErrorText(ERROR_ACCESS_DENIED).empty());

    const PopupSeen move = ErrorBox(1, &denied);
    REQUIRE(move.appeared);
    CHECK_EQ(move.title, std::wstring(L"フォルダーの移動"));
}

TEST_CASE("an engine error without a path shows only its description") {
    const Marlin::Sluice::SluiceExceptionNotFreeSpace full(2 * 1048576);
    const PopupSeen seen = ErrorBox(0, &full);
    REQUIRE(seen.appeared);
    CHECK(Contains(seen.texts, L"十分な領域がありません。これらのファイルをコピーするには、さらに2.00MB必要です。"));
}

TEST_CASE("each question reaches its dialog, and the button pressed comes back as the answer") {
    WIN32_FILE_ATTRIBUTE_DATA file{};
    file.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    file.nFileSizeLow = 1234;
    WIN32_FILE_ATTRIBUTE_DATA folder{};
    folder.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    const SluiceExceptionOverwrite fileOverFile(L"C:\\src\\a\\x.txt", file, L"C:\\dst\\a\\x.txt", file);
    const SluiceExceptionOverwrite folderOverFolder(L"C:\\src\\a\\sub", folder, L"C:\\dst\\a\\sub", folder);
    const SluiceExceptionOverwrite folderOverFile(L"C:\\src\\a\\sub", folder, L"C:\\dst\\a\\sub", file);

    const struct {
        const char* what;
        const Marlin::Exception* question;
        int button;
        bool check;
        const wchar_t* title;  // of the question dialog
        int32_t answer, applyToAll;
    } rows[] = {
        {"file over file, overwrite all", &fileOverFile, IDC_QUESTION_YES, true, L"ファイルの上書きの確認", 5, 1},
        {"file over file, skip", &fileOverFile, IDC_QUESTION_SKIP, false, L"ファイルの上書きの確認", 2, 0},
        {"folder over folder, merge", &folderOverFolder, IDC_QUESTION_YES, false, L"フォルダーの上書きの確認", 5, 0},
        {"folder over file, cancel", &folderOverFile, IDCANCEL, false, L"フォルダーのコピー", 3, 0},
    };
    for (const auto& row : rows) {
        CONTEXT(row.what);
        ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
        PopupSeen seen;
        int32_t answer = -1, all = -1;
        dialog.RunWith([&](EngineFeeder& feeder) {
            PopupWatcher watcher(feeder.Dialog(), row.button, row.check ? IDC_APPLY_TO_ALL : 0);
            answer = feeder.Question(row.question, all);
            seen = watcher.Finish();
        });
        REQUIRE(seen.appeared);
        CHECK_EQ(seen.title, std::wstring(row.title));
        CHECK_EQ(answer, row.answer);
        CHECK_EQ(all, row.applyToAll);
    }
}

TEST_CASE("a question that is no engine question gets no dialog: cancel outside the engine, 0 inside") {
    const Marlin::Exception foreign;
    const SluiceException notAQuestion(SluiceException::InconsistentJob);
    const struct {
        const char* what;
        const Marlin::Exception* question;
        int32_t answer;
    } rows[] = {{"not an engine exception", &foreign, SluiceCoreEvent::Cancel},
                {"no exception", nullptr, SluiceCoreEvent::Cancel},
                {"an engine exception of no question type", &notAQuestion, 0}};
    for (const auto& row : rows) {
        CONTEXT(row.what);
        ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
        PopupSeen seen;
        int32_t answer = -1, all = -1;
        dialog.RunWith([&](EngineFeeder& feeder) {
            PopupWatcher watcher(feeder.Dialog(), IDCANCEL, 0, 300);
            answer = feeder.Question(row.question, all);
            seen = watcher.Finish();
        });
        CHECK(!seen.appeared);
        CHECK_EQ(answer, row.answer);
        CHECK_EQ(all, 0);
    }
}
