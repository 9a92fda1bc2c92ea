// The string table compiled into this executable, read back by identifier: every text
// exactly as the program shows it (compared with UTF-8 literals, so a table compiled in
// the wrong code page shows), and FormatResource filling its placeholders.
#include <windows.h>

#include <cstdint>
#include <string>

#include "CrtLocale.h"
#include "QuantityText.h"
#include "ResourceText.h"
#include "StringIds.h"
#include "TestHarness.h"

using Marlin::FormatResource;
using Marlin::LoadResourceString;
using quaytest::CrtLocale;

namespace {

struct Entry {
    uint32_t id;
    const char* text;  // UTF-8
};

const Entry kTable[] = {
    {3000, u8"%s中 - %I64d 個の項目（%s）"},
    {3001, u8"%I64d（%s）"},
    {3002, u8"%s中にエラーが発生しました。"},
    {3003, u8"%sの準備中"},
    {3004, u8"計算中..."},
    {3005, u8"取り消しています..."},
    {3010, u8"%sの%s"},
    {3100, u8"コピー"},
    {3101, u8"移動"},
    {3102, u8"ファイル"},
    {3103, u8"フォルダー"},
    {3104, u8"秒"},
    {3105, u8"残り"},
    {3106, u8"約"},
    {3107, u8"続行(&C)"},
    {5000, u8"作成日時： %s"},
    {5001, u8"更新日時： %s"},
    {5002, u8"サイズ： %s"},
    {5003, u8"名前： %s"},
    {5004, u8"場所： %s"},
    {5010, u8"この%sを暗号化なしで%sしますか？"},
    {5011, u8"暗号化をサポートしていない宛先に、%sを%sします。"},
    {6000, u8"%s中にエラーが発生しました。"},
    {6001, u8"十分な領域がありません。これらのファイルをコピーするには、さらに%s必要です。"},
    {6002, u8"受け側のフォルダーは、送り側フォルダーのサブフォルダーです。"},
    {6004, u8"作業を取り消しました。"},
    {6005, u8"指定された%s名と同じ名前の%sが既に存在します。別の名前を指定してください。"},
    {6006, u8"%sを続行するには管理者のアクセス許可を提供する必要があります。"},
    {6007, u8"ファイルを閉じてから再試行してください。"},
};

// The named identifiers are the numbers the other modules and the texts agree on.
static_assert(IDS_PROGRESS_HEADER == 3000 && IDS_ITEMS_LEFT == 3001 && IDS_ERROR_UNKNOWN == 3002 &&
              IDS_PROGRESS_PREPARING == 3003 && IDS_CALCULATING == 3004 && IDS_CANCELLING == 3005 &&
              IDS_CAPTION == 3010);
static_assert(IDS_OPERATION_COPY == 3100 && IDS_OPERATION_MOVE == 3101 && IDS_KIND_FILE == 3102 &&
              IDS_KIND_FOLDER == 3103 && IDS_PER_SECOND == 3104 && IDS_TITLE_REMAINING == 3105 &&
              IDS_TIME_ABOUT == 3106 && IDS_CONTINUE_BUTTON == 3107);
static_assert(IDS_LINE_CREATED == 5000 && IDS_LINE_MODIFIED == 5001 && IDS_LINE_SIZE == 5002 &&
              IDS_LINE_NAME == 5003 && IDS_LINE_LOCATION == 5004 && IDS_ENCRYPTION_QUESTION == 5010 &&
              IDS_ENCRYPTION_EXPLANATION == 5011);
static_assert(IDS_ERROR_ENGINE == 6000 && IDS_ERROR_NOT_FREE_SPACE == 6001 && IDS_ERROR_DESTINATION_IN_SOURCE == 6002 &&
              IDS_ERROR_CANCELLED == 6004 && IDS_ERROR_NAME_CONFLICT == 6005 && IDS_ERROR_NEEDS_ADMINISTRATOR == 6006 &&
              IDS_ERROR_SHARING_VIOLATION == 6007);

std::string Text(const std::wstring& s) { return quaytest::Utf8(s); }

}  // namespace

TEST_CASE("String table: every identifier has its text, character for character") {
    for (const Entry& e : kTable) {
        CONTEXT("string " + std::to_string(e.id));
        std::wstring text;
        CHECK(LoadResourceString(text, e.id));
        CHECK_EQ(Text(text), std::string(e.text));
    }
}

TEST_CASE("String table: identifiers between the texts are absent and change nothing") {
    for (uint32_t id : {0u, 2999u, 3006u, 3009u, 3011u, 3108u, 5005u, 5012u, 6003u, 6008u}) {
        CONTEXT("string " + std::to_string(id));
        std::wstring target = L"keep";
        CHECK(!LoadResourceString(target, id));
        CHECK_EQ(target, std::wstring(L"keep"));
    }
}

TEST_CASE("FormatResource: placeholders filled with wide strings and 64-bit counts") {
    CrtLocale locale("");
    std::wstring out;
    REQUIRE_EQ(FormatResource(out, IDS_PROGRESS_HEADER, L"コピー", int64_t{5000000000}, Marlin::SizeText(1500000)), S_OK);
    CHECK_EQ(Text(out), std::string(u8"コピー中 - 5000000000 個の項目（1.42MB）"));

    // The dialog passes unsigned counts; they print as they are.
    REQUIRE_EQ(FormatResource(out, IDS_ITEMS_LEFT, uint64_t{12}, Marlin::SizeText(999)), S_OK);
    CHECK_EQ(Text(out), std::string(u8"12（999バイト）"));

    REQUIRE_EQ(FormatResource(out, IDS_PROGRESS_PREPARING, std::wstring(L"移動")), S_OK);
    CHECK_EQ(Text(out), std::string(u8"移動の準備中"));

    REQUIRE_EQ(FormatResource(out, IDS_ERROR_NAME_CONFLICT, L"フォルダー", L"ファイル"), S_OK);
    CHECK_EQ(Text(out), std::string(u8"指定されたフォルダー名と同じ名前のファイルが既に存在します。別の名前を指定してください。"));
}

TEST_CASE("FormatResource: a name with percent signs is shown as it is") {
    std::wstring out;
    REQUIRE_EQ(FormatResource(out, IDS_LINE_NAME, L"100%s%n%I64d.txt"), S_OK);
    CHECK_EQ(Text(out), std::string(u8"名前： 100%s%n%I64d.txt"));
}

TEST_CASE("FormatResource: fails with E_FAIL and keeps the text when it cannot format") {
    std::wstring out = L"keep";
    CHECK_EQ(FormatResource(out, 3006, L"x"), E_FAIL);  // no such string
    CHECK_EQ(out, std::wstring(L"keep"));
    // A module without the table: the texts live in the program file, not in a library.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    REQUIRE(kernel != nullptr);
    CHECK_EQ(FormatResource(kernel, out, IDS_LINE_NAME, L"x"), E_FAIL);
    CHECK_EQ(out, std::wstring(L"keep"));
    // Arguments that do not fit the text's placeholders.
    CHECK_EQ(FormatResource(out, IDS_ITEMS_LEFT, L"12", L"1.00KB"), E_FAIL);
    CHECK_EQ(FormatResource(out, IDS_PROGRESS_HEADER, L"コピー"), E_FAIL);
    CHECK_EQ(FormatResource(out, IDS_CALCULATING, L"extra"), E_FAIL);
    CHECK_EQ(out, std::wstring(L"keep"));
    // The program's module is the default, and giving it explicitly is the same.
    CHECK_EQ(FormatResource(GetModuleHandleW(nullptr), out, IDS_LINE_NAME, L"x"), S_OK);
    CHECK_EQ(Text(out), std::string(u8"名前： x"));
}
