// What the question dialogs show: titles, the question and its hint, the item lines
// (name, location, size, time) and the buttons' texts, read back from the controls of
// the real dialogs.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "DialogControls.h"
#include "DialogIds.h"
#include "DialogThread.h"
#include "DisplayText.h"
#include "ElevationProbe.h"
#include "ErrorText.h"
#include "QuestionDialogs.h"
#include "QuestionFixtures.h"
#include "SluiceExceptionRetryFile.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using namespace quaytest;

namespace {

using Texts = std::map<int, std::wstring>;
constexpr int kTitle = 0;  // the window title in a Texts map

const FILETIME kCreated = Moment(2019, 2, 3, 4, 5);
const FILETIME kWritten = Moment(2023, 11, 12, 13, 14);

std::wstring Created() { return L"作成日時： " + Marlin::DateTimeText(kCreated); }
std::wstring Modified() { return L"更新日時： " + Marlin::DateTimeText(kWritten); }

// Opens the question, reads the given controls (and the title), cancels.
Texts Show(const Marlin::Exception& question, int32_t move, std::initializer_list<int> ids,
           std::vector<std::wstring>* children = nullptr) {
    Texts texts;
    int32_t answer = -1, applyToAll = -1;
    DialogThread thread([&] { Marlin::AskQuestion(nullptr, &question, move, answer, applyToAll); });
    HWND dialog = thread.WaitForDialog();
    REQUIRE(dialog != nullptr);
    texts[kTitle] = WindowText(dialog);
    for (int id : ids) texts[id] = ControlText(dialog, id);
    if (children) *children = ChildTexts(dialog);
    CHECK(SendDlgItemMessageW(dialog, IDC_WARNING_ICON, STM_GETICON, 0, 0) != 0);
    Click(dialog, IDCANCEL);
    REQUIRE(thread.Join());
    CHECK_EQ(answer, 3);
    return texts;
}

void CheckTexts(const Texts& shown, const Texts& expected) {
    for (const auto& [id, text] : expected) {
        CONTEXT("control " + std::to_string(id));
        auto found = shown.find(id);
        REQUIRE(found != shown.end());
        CHECK_EQ(found->second, text);
    }
}

const std::initializer_list<int> kErrorIds = {IDC_QUESTION_MESSAGE, IDC_QUESTION_DETAIL, IDC_ITEM_NAME,
                                              IDC_ITEM_LOCATION,    IDC_ITEM_TIME,       IDC_ITEM_SIZE,
                                              IDC_QUESTION_RETRY,   IDC_QUESTION_SKIP,   IDCANCEL,
                                              IDC_APPLY_TO_ALL};

// A token that says what the test wants about elevation: the one thing the test machine
// cannot present (its processes always run elevated).
class PresentedToken : public Marlin::Sluice::ElevationProbe {
public:
    explicit PresentedToken(uint32_t elevation) : elevation_(elevation) {}
    bool ReadTokenElevation(uint32_t& elevation) const override {
        elevation = elevation_;
        return true;
    }

private:
    uint32_t elevation_;
};

}  // namespace

TEST_CASE("the retry question names the error, its hint and the item") {
    const Item file = FileItem(1500000, kCreated, kWritten);
    const Item folder = FolderItem(kCreated, kWritten);
    const Item badTime = FileItem(999, kCreated, TimeBeyondCalendar());
    const std::wstring accessDenied = Marlin::WindowsErrorText(ERROR_ACCESS_DENIED);
    const std::wstring sharing = Marlin::WindowsErrorText(ERROR_SHARING_VIOLATION);
    const std::wstring notFound = Marlin::WindowsErrorText(ERROR_FILE_NOT_FOUND);
    REQUIRE(!accessDenied.empty());
    // Lines showing the wrong one of the item's times must not pass unnoticed.
    REQUIRE(!Marlin::DateTimeText(kCreated).empty());
    REQUIRE(Created().substr(7) != Modified().substr(7));

    struct Row {
        const char* name;
        uint32_t error;
        std::wstring path;
        const Item* item;
        int32_t elevated;
        int32_t move;
        Texts expected;
    };
    const Row rows[] = {
        {"sharing violation on a file", ERROR_SHARING_VIOLATION, L"C:\\work\\report.txt", &file, 1, 0,
         {{kTitle, L"ファイルのコピー"},
          {IDC_QUESTION_MESSAGE, sharing},
          {IDC_QUESTION_DETAIL, L"ファイルを閉じてから再試行してください。"},
          {IDC_ITEM_NAME, L"名前： report.txt"},
          {IDC_ITEM_LOCATION, L"場所： C:\\work"},
          {IDC_ITEM_TIME, Modified()},
          {IDC_ITEM_SIZE, L"サイズ： 1.42MB"},
          {IDC_QUESTION_RETRY, L"再試行(&R)"},
          {IDC_QUESTION_SKIP, L"スキップ(&S)"},
          {IDCANCEL, L"キャンセル"},
          {IDC_APPLY_TO_ALL, L"すべての項目にこれを実行する(&A)"}}},
        {"access denied on a folder of a move, rights on offer", ERROR_ACCESS_DENIED, L"C:\\work\\sub", &folder, 0, 1,
         {{kTitle, L"フォルダーの移動"},
          {IDC_QUESTION_MESSAGE, accessDenied},
          {IDC_QUESTION_DETAIL, L"移動を続行するには管理者のアクセス許可を提供する必要があります。"},
          {IDC_ITEM_NAME, L"名前： sub"},
          {IDC_ITEM_LOCATION, L"場所： C:\\work"},
          {IDC_ITEM_TIME, Created()},
          {IDC_ITEM_SIZE, L""},
          {IDC_QUESTION_RETRY, L"続行(&C)"}}},
        {"access denied in a copy that already has the rights", ERROR_ACCESS_DENIED, L"C:\\work\\a.bin", &file, 1, 0,
         {{kTitle, L"ファイルのコピー"},
          {IDC_QUESTION_MESSAGE, accessDenied},
          {IDC_QUESTION_DETAIL, L""},
          {IDC_QUESTION_RETRY, L"再試行(&R)"}}},
        {"access denied on a file of a copy, rights on offer", ERROR_ACCESS_DENIED, L"C:\\work\\a.bin", &file, 0, 0,
         {{kTitle, L"ファイルのコピー"},
          {IDC_QUESTION_DETAIL, L"コピーを続行するには管理者のアクセス許可を提供する必要があります。"},
          {IDC_QUESTION_RETRY, L"続行(&C)"}}},
        {"another error: no hint", ERROR_FILE_NOT_FOUND, L"C:\\work\\gone.txt", &file, 1, 0,
         {{IDC_QUESTION_MESSAGE, notFound}, {IDC_QUESTION_DETAIL, L""}, {IDC_QUESTION_RETRY, L"再試行(&R)"}}},
        {"a drive root: its path and nothing else", ERROR_ACCESS_DENIED, L"D:\\", nullptr, 1, 0,
         {{kTitle, L"フォルダーのコピー"},
          {IDC_ITEM_NAME, L"名前： D:\\"},
          {IDC_ITEM_LOCATION, L""},
          {IDC_ITEM_TIME, L""},
          {IDC_ITEM_SIZE, L""}}},
        {"an item without attributes: name and place only", ERROR_PATH_NOT_FOUND, L"C:\\work\\lost", nullptr, 1, 0,
         {{kTitle, L"フォルダーのコピー"},
          {IDC_ITEM_NAME, L"名前： lost"},
          {IDC_ITEM_LOCATION, L"場所： C:\\work"},
          {IDC_ITEM_TIME, L""},
          {IDC_ITEM_SIZE, L""}}},
        {"a time without calendar form: the label alone", ERROR_SHARING_VIOLATION, L"C:\\work\\odd.txt", &badTime, 1, 0,
         {{IDC_ITEM_TIME, L"更新日時： "}, {IDC_ITEM_SIZE, L"サイズ： 999バイト"}}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        auto question = RetryQuestion(row.error, row.path, row.item, row.elevated);
        CheckTexts(Show(*question, row.move, kErrorIds), row.expected);
    }
}

TEST_CASE("administrator rights are offered by what the process token says") {
    quaytest::TempDir dir;
    quaytest::WriteBytes(dir / L"locked.txt", "12345");
    const Marlin::WindowsFileException denied(ERROR_ACCESS_DENIED, dir / L"locked.txt");
    struct Row {
        const char* name;
        std::function<Marlin::Sluice::SluiceExceptionRetryFile()> make;
        const wchar_t* button;
        int32_t answer;
    };
    const Row rows[] = {
        {"a token without elevation", [&] { return Marlin::Sluice::SluiceExceptionRetryFile(denied, PresentedToken(0)); },
         L"続行(&C)", 6},
        // The test machine's own token, which is elevated.
        {"this process's token", [&] { return Marlin::Sluice::SluiceExceptionRetryFile(denied); }, L"再試行(&R)", 1},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        const auto question = row.make();
        int32_t answer = -1, applyToAll = -1;
        DialogThread thread([&] { Marlin::AskQuestion(nullptr, &question, 0, answer, applyToAll); });
        HWND dialog = thread.WaitForDialog();
        REQUIRE(dialog != nullptr);
        CHECK_EQ(ControlText(dialog, IDC_QUESTION_RETRY), std::wstring(row.button));
        CHECK_EQ(ControlText(dialog, IDC_ITEM_NAME), std::wstring(L"名前： locked.txt"));
        CHECK_EQ(ControlText(dialog, IDC_ITEM_SIZE), std::wstring(L"サイズ： 5バイト"));
        Click(dialog, IDC_APPLY_TO_ALL);
        PressKey(dialog, VK_RETURN);
        REQUIRE(thread.Join());
        CHECK_EQ(answer, row.answer);
        CHECK_EQ(applyToAll, 0);
    }
}

TEST_CASE("a file meeting a folder of its name, or a folder meeting a file, cannot be overwritten") {
    const Item file = FileItem(999, kCreated, kWritten);
    const Item folder = FolderItem(kCreated, kWritten);
    struct Row {
        const char* name;
        std::wstring source;
        const Item* sourceItem;
        const Item* destinationItem;
        int32_t move;
        Texts expected;
    };
    const Row rows[] = {
        {"file over folder, a stream standing for its file", L"C:\\src\\a.txt:s1:$DATA", &file, &folder, 0,
         {{kTitle, L"ファイルのコピー"},
          {IDC_QUESTION_MESSAGE, L"指定されたファイル名と同じ名前のフォルダーが既に存在します。別の名前を指定してください。"},
          {IDC_QUESTION_DETAIL, L""},
          {IDC_ITEM_NAME, L"名前： a.txt"},
          {IDC_ITEM_LOCATION, L"場所： C:\\src"},
          {IDC_ITEM_TIME, Modified()},
          {IDC_ITEM_SIZE, L"サイズ： 999バイト"},
          {IDC_QUESTION_RETRY, L"再試行(&R)"}}},
        {"folder over file in a move", L"C:\\src\\data", &folder, &file, 1,
         {{kTitle, L"フォルダーの移動"},
          {IDC_QUESTION_MESSAGE, L"指定されたフォルダー名と同じ名前のファイルが既に存在します。別の名前を指定してください。"},
          {IDC_QUESTION_DETAIL, L""},
          {IDC_ITEM_NAME, L"名前： data"},
          {IDC_ITEM_LOCATION, L"場所： C:\\src"},
          {IDC_ITEM_TIME, Created()},
          {IDC_ITEM_SIZE, L""},
          {IDC_QUESTION_RETRY, L"再試行(&R)"}}},
        {"a drive root over a file", L"D:\\", &folder, &file, 0,
         {{kTitle, L"フォルダーのコピー"},
          {IDC_ITEM_NAME, L"名前： D:\\"},
          {IDC_ITEM_LOCATION, L""},
          {IDC_ITEM_TIME, L""},
          {IDC_ITEM_SIZE, L""}}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        auto question = OverwriteQuestion(row.source, *row.sourceItem, L"C:\\dst\\x", *row.destinationItem);
        CheckTexts(Show(*question, row.move, kErrorIds), row.expected);
    }
}

TEST_CASE("the file overwrite question compares the existing file with the new one") {
    const Item existing = FileItem(1048576, Moment(2010, 1, 1, 0, 0), kWritten);
    const Item incoming = FileItem(999, Moment(2011, 1, 1, 0, 0), kCreated);
    auto question = OverwriteQuestion(L"C:\\src\\notes\\plan.txt", incoming, L"D:\\dst\\plan.txt", existing);
    std::vector<std::wstring> children;
    const Texts shown = Show(*question, 0,
                             {IDC_OLD_NAME, IDC_OLD_LOCATION, IDC_OLD_SIZE, IDC_OLD_TIME, IDC_NEW_NAME,
                              IDC_NEW_LOCATION, IDC_NEW_SIZE, IDC_NEW_TIME, IDC_QUESTION_YES},
                             &children);
    CheckTexts(shown, {{kTitle, L"ファイルの上書きの確認"},
                       {IDC_OLD_NAME, L"名前： plan.txt"},
                       {IDC_OLD_LOCATION, L"場所： D:\\dst"},
                       {IDC_OLD_SIZE, L"サイズ： 1.00MB"},
                       {IDC_OLD_TIME, Modified()},
                       {IDC_NEW_NAME, L"名前： plan.txt"},
                       {IDC_NEW_LOCATION, L"場所： C:\\src\\notes"},
                       {IDC_NEW_SIZE, L"サイズ： 999バイト"},
                       {IDC_NEW_TIME, L"更新日時： " + Marlin::DateTimeText(kCreated)},
                       {IDC_QUESTION_YES, L"はい(&Y)"}});
    for (const wchar_t* fixed :
         {L"この場所には同じ名前のファイルが既にあります。", L"このファイル", L"を次のファイルで上書きしますか？"}) {
        CONTEXT(Utf8(std::wstring(fixed)));
        CHECK(std::find(children.begin(), children.end(), fixed) != children.end());
    }
}

TEST_CASE("the folder merge question shows both folders by name and creation time") {
    const Item existing = FolderItem(kCreated, Moment(2012, 1, 1, 0, 0));
    const Item incoming = FolderItem(kWritten, Moment(2013, 1, 1, 0, 0));
    struct Row {
        const char* name;
        std::wstring source;
        Texts expected;
    };
    const Row rows[] = {
        {"two folders", L"C:\\src\\photos",
         {{kTitle, L"フォルダーの上書きの確認"},
          {IDC_OLD_NAME, L"名前： photos"},
          {IDC_OLD_TIME, Created()},
          {IDC_NEW_NAME, L"名前： photos"},
          {IDC_NEW_TIME, L"作成日時： " + Marlin::DateTimeText(kWritten)},
          {IDC_QUESTION_YES, L"はい(&Y)"}}},
        {"a drive root: its path, no time", L"E:\\",
         {{IDC_OLD_NAME, L"名前： photos"}, {IDC_NEW_NAME, L"名前： E:\\"}, {IDC_NEW_TIME, L""}}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        auto question = OverwriteQuestion(row.source, incoming, L"D:\\backup\\photos", existing);
        std::vector<std::wstring> children;
        CheckTexts(Show(*question, 0, {IDC_OLD_NAME, IDC_OLD_TIME, IDC_NEW_NAME, IDC_NEW_TIME, IDC_QUESTION_YES},
                        &children),
                   row.expected);
        for (const wchar_t* fixed : {L"この宛先にはすでにフォルダーが存在します。",
                                     L"同じ名前のファイルがある場合、それらのファイルを上書きするかどうかたずねられます。",
                                     L"このフォルダー", L"に次のフォルダーを結合しますか？"}) {
            CONTEXT(Utf8(std::wstring(fixed)));
            CHECK(std::find(children.begin(), children.end(), fixed) != children.end());
        }
    }
}

TEST_CASE("the encryption question names the kind and the operation") {
    const Item file = FileItem(1500000, kCreated, kWritten);
    const Item folder = FolderItem(kCreated, kWritten);
    struct Row {
        const char* name;
        std::wstring path;
        const Item* item;
        int32_t move;
        Texts expected;
    };
    const Row rows[] = {
        {"a file copied", L"C:\\src\\secret.doc", &file, 0,
         {{kTitle, L"暗号化の損失の確認"},
          {IDC_QUESTION_TEXT, L"このファイルを暗号化なしでコピーしますか？"},
          {IDC_QUESTION_DETAIL, L"暗号化をサポートしていない宛先に、ファイルをコピーします。"},
          {IDC_ITEM_NAME, L"secret.doc"},
          {IDC_ITEM_TIME, Modified()},
          {IDC_ITEM_SIZE, L"サイズ： 1.42MB"}}},
        {"a folder moved", L"C:\\src\\vault", &folder, 1,
         {{IDC_QUESTION_TEXT, L"このフォルダーを暗号化なしで移動しますか？"},
          {IDC_QUESTION_DETAIL, L"暗号化をサポートしていない宛先に、フォルダーを移動します。"},
          {IDC_ITEM_NAME, L"vault"},
          {IDC_ITEM_TIME, Created()},
          {IDC_ITEM_SIZE, L""}}},
    };
    for (const auto& row : rows) {
        CONTEXT(row.name);
        auto question = EncryptedQuestion(row.path, *row.item);
        CheckTexts(Show(*question, row.move,
                        {IDC_QUESTION_TEXT, IDC_QUESTION_DETAIL, IDC_ITEM_NAME, IDC_ITEM_TIME, IDC_ITEM_SIZE}),
                   row.expected);
    }
}
