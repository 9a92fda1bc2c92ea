// The texts of the progress dialog's error message: the system's Japanese error texts
// (as Wine gives them), the path line, and the description chosen by the exception's
// class and engine type.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ErrorText.h"
#include "Exception.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "TestHarness.h"
#include "WindowsFileException.h"

using Marlin::ErrorDescription;
using Marlin::ErrorMessageText;
using Marlin::ErrorPathLine;
using Marlin::WindowsErrorText;
using Marlin::WindowsException;
using Marlin::WindowsFileException;
using namespace Marlin::Sluice;

namespace {

std::string Text(const std::wstring& s) { return quaytest::Utf8(s); }

// An exception from outside the family's known branches: reported without details.
class ForeignException : public Marlin::Exception {};

}  // namespace

TEST_CASE("WindowsErrorText: the system's text in the user's language, on one line") {
    struct Case {
        uint32_t code;
        const char* text;
    };
    // Wine's Japanese texts; error 5 reads the same on Windows.
    const Case cases[] = {
        {5, u8"アクセスが拒否されました。"},
        {2, u8"ファイルが見つかりません。"},
        {32, u8"共有違反です。"},
        {112, u8"ディスクがいっぱいです。"},
        {0x80070005u, u8"アクセスが拒否されました。"},  // the same error as an HRESULT
        // Inserts stay as they stand instead of being filled from nothing.
        {193, u8"%1 の EXE フォーマットが不正です。"},
    };
    for (const Case& c : cases) {
        CONTEXT("error " + std::to_string(c.code));
        CHECK_EQ(Text(WindowsErrorText(c.code)), std::string(c.text));
    }
    for (uint32_t unknown : {0x12345u, 10000u, 0xFFFFFFFFu}) {
        CONTEXT("unknown error " + std::to_string(unknown));
        CHECK_EQ(WindowsErrorText(unknown), std::wstring());
    }
}

TEST_CASE("WindowsErrorText: no system text keeps its line break") {
    int withText = 0;
    for (uint32_t code = 0; code < 2000; ++code) {
        std::wstring text = WindowsErrorText(code);
        if (text.empty()) continue;
        ++withText;
        CONTEXT("error " + std::to_string(code) + ": " + Text(text));
        CHECK(text.back() != L'\r' && text.back() != L'\n');
        CHECK(text.find(L'\0') == std::wstring::npos);
    }
    CHECK(withText > 100);
}

TEST_CASE("ErrorPathLine: the path of a file error only") {
    WindowsFileException denied(5, L"C:\\data\\f.txt");
    WindowsException platform(5);
    SluiceExceptionRetryFile retry;
    retry.BorrowInner(&denied);
    retry.path = L"C:\\data\\f.txt";
    SluiceExceptionNotFreeSpace space(100);

    CHECK_EQ(ErrorPathLine(&denied), std::wstring(L"C:\\data\\f.txt"));
    CHECK_EQ(ErrorPathLine(&platform), std::wstring());
    // A retry question is an engine exception, not a file error, whatever it wraps.
    CHECK_EQ(ErrorPathLine(&retry), std::wstring());
    CHECK_EQ(ErrorPathLine(&space), std::wstring());
    CHECK_EQ(ErrorPathLine(nullptr), std::wstring());
}

TEST_CASE("ErrorDescription: by engine type, platform error or none") {
    SluiceException inconsistent(SluiceException::InconsistentJob), setup(SluiceException::SetupFailed),
        pool(SluiceException::BufferPoolFailed), enumeration(SluiceException::EnumerationFailed),
        cancelled(SluiceException::Cancelled), elevation(SluiceException::ElevationRequested),
        receive(SluiceException::ReceiveItemsFailed), bareSpace(SluiceException::NotFreeSpace),
        inside(SluiceException::DestinationInsideSource), readerWait(SluiceException::ReaderWaitFailed),
        writerWait(SluiceException::WriterWaitFailed), unlisted(-3);
    SluiceExceptionNotFreeSpace space(1500000), noSpace(0), hugeSpace(UINT64_MAX);
    SluiceExceptionEncrypted encrypted;
    SluiceExceptionOverwrite overwrite;
    WindowsFileException denied(5, L"C:\\data\\f.txt");
    SluiceExceptionRetryFile retry;
    retry.BorrowInner(&denied);
    WindowsException platform(5), unknownCode(0x12345);
    WindowsFileException notFound(2, L"C:\\data\\gone.txt");
    Marlin::Exception plain("not shown", 7);
    ForeignException foreign;

    struct Case {
        const char* name;
        const Marlin::Exception* error;
        bool move;
        const char* text;
    };
    const Case cases[] = {
        {"type 1, copy", &inconsistent, false, u8"コピー中にエラーが発生しました。(1)"},
        {"type 1, move", &inconsistent, true, u8"移動中にエラーが発生しました。(1)"},
        {"type 2", &setup, false, u8"コピー中にエラーが発生しました。(2)"},
        {"type 3", &pool, false, u8"コピー中にエラーが発生しました。(3)"},
        {"type 4, move", &enumeration, true, u8"移動中にエラーが発生しました。(4)"},
        {"type 7", &receive, false, u8"コピー中にエラーが発生しました。(7)"},
        {"type 1002", &readerWait, false, u8"コピー中にエラーが発生しました。(1002)"},
        {"type 1102", &writerWait, true, u8"移動中にエラーが発生しました。(1102)"},
        {"type outside the table", &unlisted, false, u8"コピー中にエラーが発生しました。(-3)"},
        // A retry question that ends up reported is told by its type; its inner error is
        // the question's business.
        {"type 14 with an inner error", &retry, false, u8"コピー中にエラーが発生しました。(14)"},
        {"cancelled", &cancelled, false, u8"作業を取り消しました。"},
        {"cancelled, move", &cancelled, true, u8"作業を取り消しました。"},
        {"hand-over to the elevated instance", &elevation, false, ""},
        {"encryption question", &encrypted, false, ""},
        {"overwrite question", &overwrite, true, ""},
        {"not enough space", &space, false,
         u8"十分な領域がありません。これらのファイルをコピーするには、さらに1.42MB必要です。"},
        {"not enough space, move", &noSpace, true,
         u8"十分な領域がありません。これらのファイルをコピーするには、さらに0バイト必要です。"},
        {"not enough space, all of it", &hugeSpace, false,
         u8"十分な領域がありません。これらのファイルをコピーするには、さらに16.0EB必要です。"},
        // Type 10 without its class carries no shortfall to show.
        {"type 10 without a shortfall", &bareSpace, false, u8"コピー中にエラーが発生しました。(10)"},
        {"destination inside a source", &inside, true, u8"受け側のフォルダーは、送り側フォルダーのサブフォルダーです。"},
        {"platform error", &platform, false, u8"アクセスが拒否されました。"},
        {"file error", &notFound, true, u8"ファイルが見つかりません。"},
        {"platform error without a text", &unknownCode, false, ""},
        {"exception without details", &plain, false, u8"コピー中にエラーが発生しました。"},
        {"foreign exception, move", &foreign, true, u8"移動中にエラーが発生しました。"},
        {"none", nullptr, false, u8"コピー中にエラーが発生しました。"},
        {"none, move", nullptr, true, u8"移動中にエラーが発生しました。"},
    };
    for (const Case& c : cases) {
        CONTEXT(c.name);
        CHECK_EQ(Text(ErrorDescription(c.error, c.move)), std::string(c.text));
    }
}

TEST_CASE("ErrorMessageText: path line, a blank line, description; the path stays literal") {
    WindowsFileException denied(5, L"C:\\data\\100%s%n%I64d.txt");
    CHECK_EQ(Text(ErrorMessageText(&denied, false)),
             std::string(u8"C:\\data\\100%s%n%I64d.txt\n\nアクセスが拒否されました。"));
    WindowsException platform(5);
    CHECK_EQ(Text(ErrorMessageText(&platform, false)), std::string(u8"アクセスが拒否されました。"));
    CHECK_EQ(Text(ErrorMessageText(nullptr, true)), std::string(u8"移動中にエラーが発生しました。"));
    SluiceExceptionNotFreeSpace space(1024);
    CHECK_EQ(Text(ErrorMessageText(&space, false)),
             std::string(u8"十分な領域がありません。これらのファイルをコピーするには、さらに1.00KB必要です。"));
}
