// What the progress dialog shows from the engine's notifications: the preparing header,
// the counted job (header, range, items left), progress with speed and time left and the
// window title, the bar's divisor for large totals, and the name of the item written.
#include <windows.h>

#include <cstdint>
#include <string>

#include "CMarlinFileCopyDlg.h"
#include "ProgressDialogIds.h"
#include "ScriptedProgressDlg.h"
#include "SluiceCoreDisplayStatus.h"
#include "TestHarness.h"

using Marlin::CMarlinFileCopyDlg;
using Marlin::Sluice::SluiceCoreDisplayStatus;
using Marlin::Sluice::SluiceCoreDisplayStatusLapTime;
using quaytest::EngineFeeder;
using quaytest::ScriptedProgressDlg;

namespace {

struct Shown {
    std::wstring header, title, name, source, target, itemsLeft, timeLeft, speed;
    bool marquee = false, cancelEnabled = false, visible = false;
    int32_t low = -1, high = -1, position = -1;
};

Shown Read(const EngineFeeder& feeder) {
    Shown s;
    s.header = feeder.Text(IDC_PROGRESS_HEADER);
    s.title = feeder.Title();
    s.name = feeder.Text(IDC_PROGRESS_NAME);
    s.source = feeder.Text(IDC_PROGRESS_SOURCE);
    s.target = feeder.Text(IDC_PROGRESS_TARGET);
    s.itemsLeft = feeder.Text(IDC_PROGRESS_ITEMS_LEFT);
    s.timeLeft = feeder.Text(IDC_PROGRESS_TIME_LEFT);
    s.speed = feeder.Text(IDC_PROGRESS_SPEED);
    s.marquee = feeder.Marquee();
    s.cancelEnabled = feeder.Enabled(IDCANCEL);
    s.visible = feeder.Visible();
    s.low = feeder.BarLow();
    s.high = feeder.BarHigh();
    s.position = feeder.BarPosition();
    return s;
}

// A job of 12 items and 3 MiB, counted.
SluiceCoreDisplayStatus Counted() {
    SluiceCoreDisplayStatus s;
    s.itemCounts.total = 12;
    s.byteCounts.total = 3 * 1048576;
    s.weightedByteCounts.total = 3 * 1048576 + 512;
    return s;
}

}  // namespace

TEST_CASE("before the totals: preparing header, marquee, no cancel, texts from the job") {
    const struct {
        int32_t move;
        const wchar_t* header;
    } rows[] = {{0, L"コピーの準備中"}, {1, L"移動の準備中"}};
    for (const auto& row : rows) {
        CONTEXT("move " + std::to_string(row.move));
        ScriptedProgressDlg dialog({L"C:\\data\\photos", L"C:\\data\\notes.txt"}, L"D:\\backup", row.move);
        Shown at;
        CHECK_EQ(dialog.RunWith([&](EngineFeeder& feeder) {
                     feeder.Send(1000);
                     at = Read(feeder);
                 }),
                 INT_PTR{1});
        CHECK_EQ(at.header, std::wstring(row.header));
        CHECK_EQ(at.title, std::wstring(row.header));
        CHECK_EQ(at.itemsLeft, std::wstring(L"計算中..."));
        CHECK_EQ(at.timeLeft, std::wstring(L"計算中..."));
        CHECK_EQ(at.speed, std::wstring(L"計算中..."));
        CHECK_EQ(at.source, std::wstring(L"C:\\data"));  // the first source's parent folder
        CHECK_EQ(at.target, std::wstring(L"D:\\backup"));
        CHECK_EQ(at.name, std::wstring());
        CHECK(at.marquee);
        CHECK(!at.cancelEnabled);
        CHECK(!at.visible);
    }
}

TEST_CASE("the totals (2100): header with items and size, range, items left, cancel only with a cancel event") {
    for (bool withEvent : {true, false}) {
        CONTEXT(withEvent ? "with a cancel event" : "without a cancel event");
        Marlin::KernelHandle cancel(withEvent ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr);
        ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"C:\\dst", 0);
        Shown at;
        dialog.RunWith([&](EngineFeeder& feeder) {
            feeder.Enumerated(Counted(), cancel.get());
            at = Read(feeder);
        });
        CHECK_EQ(at.header, std::wstring(L"コピー中 - 12 個の項目（3.00MB）"));
        CHECK_EQ(at.title, std::wstring(L"コピーの準備中"));  // the title waits for the first progress
        CHECK_EQ(at.itemsLeft, std::wstring(L"12（3.00MB）"));
        CHECK_EQ(at.timeLeft, std::wstring(L"計算中..."));
        CHECK_EQ(at.speed, std::wstring(L"計算中..."));
        CHECK(!at.marquee);
        CHECK_EQ(at.low, 0);
        CHECK_EQ(at.high, int32_t{3 * 1048576 + 512});
        CHECK_EQ(at.cancelEnabled, withEvent);
    }
}

TEST_CASE("progress: bar, speed, time left of 65 seconds in the title, items left, folders, file name of a stream") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"D:\\dst", 0);
    Shown at;
    dialog.RunWith([&](EngineFeeder& feeder) {
        SluiceCoreDisplayStatus s;
        s.itemCounts = {10, 5, 4};
        s.byteCounts = {2 * 1048576, 1048576 + 4096, 1048576};
        s.weightedByteCounts = {130000, 70000, 65000};
        feeder.Enumerated(s, nullptr);
        // The writer's cumulative rate: 1000 bytes per second, with 65 000 bytes left.
        s.writeTotals = {SluiceCoreDisplayStatusLapTime(500, 400), SluiceCoreDisplayStatusLapTime(1000, 1000)};
        // Its last lap: 12 900 000 bytes in a second.
        s.writeLaps = {SluiceCoreDisplayStatusLapTime(1000, 12900000)};
        s.sourceFolder = L"C:\\src\\a\\sub";
        s.destinationFolder = L"D:\\dst";
        s.writingPath = L"D:\\dst\\a\\sub\\report.txt:summary";
        feeder.Progress(s);
        at = Read(feeder);
    });
    CHECK_EQ(at.position, 65000);
    CHECK_EQ(at.title, std::wstring(L"残り1分5秒"));
    CHECK_EQ(at.timeLeft, std::wstring(L"約1分5秒"));
    CHECK_EQ(at.itemsLeft, std::wstring(L"6（1.00MB）"));
    CHECK_EQ(at.speed, std::wstring(L"12.3MB/秒"));
    CHECK_EQ(at.name, std::wstring(L"report.txt"));
    CHECK_EQ(at.source, std::wstring(L"C:\\src\\a\\sub"));
    CHECK_EQ(at.target, std::wstring(L"D:\\dst"));
    CHECK_EQ(at.header, std::wstring(L"コピー中 - 10 個の項目（2.00MB）"));
}

TEST_CASE("progress without samples: no estimate, the title falls back to the header") {
    ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"D:\\dst", 1);
    Shown first, later;
    dialog.RunWith([&](EngineFeeder& feeder) {
        SluiceCoreDisplayStatus s = Counted();
        feeder.Enumerated(s, nullptr);
        s.itemCounts.written = 1;
        s.writingPath = L"D:\\dst\\a\\one.bin";
        feeder.Progress(s, 3000);  // the reader's progress is shown the same way
        first = Read(feeder);
        s.writeTotals = {SluiceCoreDisplayStatusLapTime(1000, 2000000)};
        feeder.Progress(s);
        s.writeTotals.clear();
        feeder.Progress(s);  // the estimate goes away again
        later = Read(feeder);
    });
    CHECK_EQ(first.timeLeft, std::wstring(L"計算中..."));
    CHECK_EQ(first.speed, std::wstring(L"計算中..."));
    CHECK_EQ(first.title, std::wstring(L"移動中 - 12 個の項目（3.00MB）"));
    CHECK_EQ(first.name, std::wstring(L"one.bin"));
    CHECK_EQ(later.title, std::wstring(L"移動中 - 12 個の項目（3.00MB）"));
    CHECK_EQ(later.timeLeft, std::wstring(L"計算中..."));
}

TEST_CASE("totals beyond the bar's range are divided down") {
    const struct {
        uint64_t total, written;
        int32_t high, position;
    } rows[] = {
        {0x7FFFFFFFull, 0x40000000ull, 0x7FFFFFFF, 0x40000000},  // fits: divisor 1
        {0x80000000ull, 0x80000000ull, 0x40000000, 0x40000000},  // divisor 2
        {0x100000000ull, 0x80000000ull, 1431655765, 715827882},  // divisor 3: /2 is still too much
    };
    for (const auto& row : rows) {
        CONTEXT("total " + std::to_string(row.total));
        ScriptedProgressDlg dialog({L"C:\\src\\a"}, L"D:\\dst", 0);
        Shown at;
        dialog.RunWith([&](EngineFeeder& feeder) {
            SluiceCoreDisplayStatus s;
            s.itemCounts.total = 1;
            s.byteCounts.total = row.total;
            s.weightedByteCounts.total = row.total;
            feeder.Enumerated(s, nullptr);
            s.weightedByteCounts.written = row.written;
            feeder.Progress(s);
            at = Read(feeder);
        });
        CHECK_EQ(at.high, row.high);
        CHECK_EQ(at.position, row.position);
    }
}

TEST_CASE("the divisor keeps any 64-bit total inside the bar's range") {
    for (uint64_t total : {uint64_t{0}, uint64_t{1}, uint64_t{0x7FFFFFFF}, uint64_t{0x80000000},
                           uint64_t{0x100000000}, uint64_t{0x7FFFFFFF} * 0x7FFFFFFF, ~uint64_t{0}}) {
        CONTEXT("total " + std::to_string(total));
        const uint64_t d = CMarlinFileCopyDlg::ProgressDivisor(total);
        CHECK(d >= 1);
        CHECK(total / d <= 0x7FFFFFFFull);
        if (d > 1) CHECK(total / (d - 1) > 0x7FFFFFFFull);  // and it is the smallest that does
    }
}
