// When a move may delete its source file: only while the file is still the one that was
// copied. A source appended to, rewritten or replaced by a save after the reader read it
// is kept and reported as an error of that item; its copy keeps the content that was read.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "CallbackTransfer.h"
#include "CopyItemTransfer.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "UniqueHandle.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;

namespace {

void Append(const std::wstring& path) {
    Marlin::FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(file.valid());
    DWORD done = 0;
    REQUIRE(WriteFile(file.get(), "more", 4, &done, nullptr) && done == 4);
}

void Overwrite(const std::wstring& path) {
    Marlin::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(file.valid());
    DWORD done = 0;
    REQUIRE(WriteFile(file.get(), "changed", 7, &done, nullptr) && done == 7);
}

// A save as editors do it: the new content under another name, then renamed over the old.
// Same size and same last-write time, so only the file's identity tells it apart.
void SaveOver(const std::wstring& path, const FileFacts& old) {
    const std::wstring saved = path + L".saving";
    std::string bytes = quaytest::ReadBytes(path);
    bytes[0] = static_cast<char>(bytes[0] ^ 0x55);
    quaytest::WriteBytes(saved, bytes);
    SetLastWriteTime(saved, old.lastWrite);
    REQUIRE(MoveFileExW(saved.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
}

// The writer's file requests with closes and flushes counted, the close able to fail as a
// network volume's does when the last of the data cannot be written.
class ClosingTransfer : public Marlin::Sluice::CopyItemTransfer {
public:
    std::function<DWORD()> beforeClose;  // 0: close; else fail with that error, the file held
    std::function<void()> beforeFlush;
    std::atomic<int> closes{0}, flushes{0};

    BOOL Flush(HANDLE file) override {
        ++flushes;
        if (beforeFlush) beforeFlush();
        return CopyItemTransfer::Flush(file);
    }
    BOOL Close(Marlin::FileHandle& file) override {
        ++closes;
        if (const DWORD error = beforeClose ? beforeClose() : 0) {
            SetLastError(error);
            return FALSE;
        }
        return CopyItemTransfer::Close(file);
    }
};

}  // namespace

TEST_CASE("a moved source goes only once its copy has closed; a failed close keeps it") {
    struct Row {
        const char* what;
        int32_t answer;  // to the question about the failed close
        bool moved;
    } rows[] = {{"retried", SluiceCoreEvent::Retry, true}, {"skipped", SluiceCoreEvent::Skip, false}};
    for (const Row& row : rows) {
        CONTEXT(row.what);
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source.path(), {{L"a.bin", static_cast<int64_t>(100 * KiB)}, {L"b.bin", 1000}}, 4);
        const TreeFacts before = Snapshot(source.path());
        ClosingTransfer writer;
        std::atomic<bool> failed{false};
        writer.beforeClose = [&]() -> DWORD { return failed.exchange(true) ? 0 : ERROR_NETNAME_DELETED; };
        AlgorithmHooks hooks;
        hooks.writerTransfer = &writer;
        JobObserver observer;
        observer.Answer({{row.answer, 0}});
        RunJob(JobOption({source / L"a.bin", source / L"b.bin"}, target.path(), true), observer, &hooks);

        RequireNoComplaints(observer);
        CheckFrame(observer, !row.moved);
        const std::vector<Seen> questions = observer.With(SluiceCoreEvent::Question);
        REQUIRE_EQ(questions.size(), size_t{1});
        CHECK_EQ(questions[0].error, uint32_t{ERROR_NETNAME_DELETED});
        CHECK_EQ(questions[0].path, target / L"a.bin");
        CHECK_EQ(quaytest::Exists(source / L"a.bin"), !row.moved);
        if (row.moved) CheckFile(before.at(L"a.bin"), target / L"a.bin");
        else CHECK(!quaytest::Exists(target / L"a.bin"));
        CheckFile(before.at(L"b.bin"), target / L"b.bin");
        CHECK(!quaytest::Exists(source / L"b.bin"));
    }
}

TEST_CASE("a move to a removable disk flushes each copy before its source goes; one to a fixed disk does not") {
    for (bool removable : {true, false}) {
        CONTEXT(removable ? "taken for a removable disk (every write unbuffered)" : "a fixed disk");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source.path(), {{L"a.bin", static_cast<int64_t>(100 * KiB)}, {L"b.bin", 1000}, {L"c.bin", 0}}, 4);
        const TreeFacts before = Snapshot(source.path());
        ClosingTransfer writer;
        std::atomic<int> sourcesAtFlush{0};
        writer.beforeFlush = [&] { sourcesAtFlush += static_cast<int>(quaytest::ListNames(source.path()).size()); };
        AlgorithmHooks hooks;
        hooks.writerTransfer = &writer;
        JobObserver observer;
        auto option = JobOption({source / L"a.bin", source / L"b.bin", source / L"c.bin"}, target.path(), true);
        if (removable) option.noBufferingThreshold = 0;
        RunJob(option, observer, &hooks);

        RequireNoComplaints(observer);
        CheckFrame(observer);
        CheckTree(before, target.path());
        CHECK(quaytest::ListNames(source.path()).empty());
        CHECK_EQ(writer.closes.load(), 3);
        CHECK_EQ(writer.flushes.load(), removable ? 3 : 0);
        // Each flush came while its own source and the ones after it were still there.
        CHECK_EQ(sourcesAtFlush.load(), removable ? 3 + 2 + 1 : 0);
    }
}

TEST_CASE("a moved source that changed after it was read is kept and reported, its copy holds what was read") {
    struct Row {
        const char* what;
        std::function<void(const std::wstring& path, const FileFacts& old)> change;  // none: untouched
    } rows[] = {
        {"untouched", nullptr},
        {"appended to (same last-write time)",
         [](const std::wstring& path, const FileFacts& old) {
             Append(path);
             SetLastWriteTime(path, old.lastWrite);
         }},
        {"rewritten in place (same size)", [](const std::wstring& path, const FileFacts&) {
             Overwrite(path);
             SetLastWriteTime(path, Moment(2030, 1, 2, 3, 4, 5));
         }},
        {"replaced by a save (same size and time)", SaveOver},
    };
    for (const Row& row : rows) {
        CONTEXT(row.what);
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source.path(), {{L"a.bin", static_cast<int64_t>(200 * KiB)}, {L"b.bin", 1000}}, 3);
        const TreeFacts before = Snapshot(source.path());

        // The change comes while the writer holds the copy of a.bin open and the reader has
        // let the source go (it reads b.bin by then): between reading and deleting.
        Marlin::KernelHandle readerPastA(CreateEventW(nullptr, TRUE, FALSE, nullptr));  // the first read of b.bin
        std::atomic<int> reads{0};
        std::atomic<bool> changed{false};
        CallbackTransfer reader([&](HANDLE, uint64_t, DWORD) -> DWORD {
            if (++reads == 2) SetEvent(readerPastA.get());
            return 0;
        });
        CallbackTransfer writer(CallbackTransfer::Callback(), [&](HANDLE, uint64_t, DWORD) -> DWORD {
            if (row.change && !changed.exchange(true)) {
                WaitForSingleObject(readerPastA.get(), INFINITE);
                row.change(source / L"a.bin", before.at(L"a.bin"));
            }
            return 0;
        });
        AlgorithmHooks hooks;
        hooks.readerTransfer = &reader;
        hooks.writerTransfer = &writer;
        JobObserver observer;
        RunJob(JobOption({source / L"a.bin", source / L"b.bin"}, target.path(), true), observer, &hooks);

        RequireNoComplaints(observer);
        CheckFrame(observer, row.change != nullptr);
        CHECK_EQ(observer.Count(SluiceCoreEvent::Question), size_t{0});
        CheckFile(before.at(L"a.bin"), target / L"a.bin");
        CheckFile(before.at(L"b.bin"), target / L"b.bin");
        CHECK(!quaytest::Exists(source / L"b.bin"));
        if (!row.change) {
            CHECK(!quaytest::Exists(source / L"a.bin"));
            continue;
        }
        const std::vector<Seen> errors = observer.With(SluiceCoreEvent::Error);
        REQUIRE_EQ(errors.size(), size_t{1});
        CHECK_EQ(errors[0].error, uint32_t{ERROR_FILE_INVALID});
        CHECK_EQ(errors[0].path, source / L"a.bin");
        // Still there, as the change left it.
        REQUIRE(quaytest::Exists(source / L"a.bin"));
        CHECK(HashFile(source / L"a.bin") != before.at(L"a.bin").hash ||
              Facts(source / L"a.bin").size != before.at(L"a.bin").size);
    }
}
