// The dialog's window itself: the banner stretched to the screen's pixels per inch (at most
// to the dialog's edges), the program icon as window icon and drag icon, the template's
// title replaced at once.
#include <windows.h>

#include <algorithm>

#include "ProgressDialogIds.h"
#include "ScriptedProgressDlg.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

using quaytest::EngineFeeder;
using quaytest::ScriptedProgressDlg;

TEST_CASE("the banner is stretched for the screen and fills its control") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    BITMAP picture{};
    bool gotPicture = false;
    RECT control{}, designed{0, 0, 250, 45}, client{};
    int dpiX = 0, dpiY = 0;
    dialog.RunWith([&](EngineFeeder& feeder) {
        HWND banner = GetDlgItem(feeder.Dialog(), IDC_PROGRESS_BANNER);
        auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
        gotPicture = bitmap && GetObjectW(bitmap, sizeof picture, &picture) != 0;
        GetClientRect(banner, &control);
        MapDialogRect(feeder.Dialog(), &designed);
        GetClientRect(feeder.Dialog(), &client);
        const Marlin::ScreenDC screen(GetDC(nullptr));
        dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
    });
    REQUIRE(gotPicture);
    const int wantWidth = std::min<int>(MulDiv(designed.right, dpiX, 96), client.right);
    const int wantHeight = std::min<int>(MulDiv(designed.bottom, dpiY, 96), client.bottom);
    CHECK_EQ(int(picture.bmWidth), wantWidth);
    CHECK_EQ(int(picture.bmHeight), wantHeight);
    // Not the resource's own size: the picture was made for this window.
    CHECK(!(picture.bmWidth == 375 && picture.bmHeight == 68) || (wantWidth == 375 && wantHeight == 68));
    CHECK_EQ(int(control.right), wantWidth);
    CHECK_EQ(int(control.bottom), wantHeight);
}

TEST_CASE("the program icon is the window's icon and its drag icon; the template title is gone") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
    HICON big = nullptr, small = nullptr, drag = nullptr;
    std::wstring title;
    dialog.RunWith([&](EngineFeeder& feeder) {
        big = reinterpret_cast<HICON>(SendMessageW(feeder.Dialog(), WM_GETICON, ICON_BIG, 0));
        small = reinterpret_cast<HICON>(SendMessageW(feeder.Dialog(), WM_GETICON, ICON_SMALL, 0));
        drag = reinterpret_cast<HICON>(SendMessageW(feeder.Dialog(), WM_QUERYDRAGICON, 0, 0));
        title = feeder.Title();
    });
    const HICON program = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUAYSAIL));
    REQUIRE(program != nullptr);
    CHECK(big == program);
    CHECK(small == program);
    CHECK(drag == program);
    CHECK_EQ(title, std::wstring(L"コピーの準備中"));
}
