// quaysail-engine-run: runs one copy or move job with the engine, without a window, and
// prints every notification that reaches the observer. Used by the end-to-end tests and
// the benchmarks through scripts/engine-run.sh.
//
//   quaysail-engine-run [-m] [-q] [--answer KIND=VALUE[,all]]... SOURCE... DEST
//
// KIND is retry, overwrite or encrypted; VALUE an answer number (1 retry, 2 skip,
// 3 cancel, 4 without encryption, 5 overwrite or merge, 6 administrator). Several answers
// for one kind are given to its questions in turn, the last one to all that follow.
// A question without an answer given here is cancelled. -q prints only the summary line.
// Exit code 0 only when the job finished and no error was notified.
#include <windows.h>
#include <psapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "IObserver.h"
#include "SluiceCore.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SluiceExceptionEncrypted.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "SluiceExceptionOverwrite.h"
#include "SluiceExceptionRetryFile.h"
#include "SluiceOption.h"
#include "SourceList.h"
#include "WindowsFileException.h"

using namespace Marlin;
using namespace Marlin::Sluice;

namespace {

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void Print(const std::string& line) {
    std::string l = line + "\n";
    std::fwrite(l.data(), 1, l.size(), stdout);
    std::fflush(stdout);
}

struct Answer {
    int32_t value = 0;
    bool all = false;
};

std::string Describe(const Marlin::Exception* e) {
    if (!e) return "exception=none";
    std::string out;
    if (auto s = dynamic_cast<const SluiceException*>(e)) {
        out = "type=" + std::to_string(s->type);
        if (auto r = dynamic_cast<const SluiceExceptionRetryFile*>(s)) {
            if (r->inner) out += " error=" + std::to_string(r->inner->error) + " path=" + Utf8(r->inner->path);
            else out += " path=" + Utf8(r->path);
        } else if (auto o = dynamic_cast<const SluiceExceptionOverwrite*>(s)) {
            out += " source=" + Utf8(o->sourcePath) + " destination=" + Utf8(o->destinationPath);
        } else if (auto c = dynamic_cast<const SluiceExceptionEncrypted*>(s)) {
            out += " path=" + Utf8(c->path);
        } else if (auto f = dynamic_cast<const SluiceExceptionNotFreeSpace*>(s)) {
            out += " shortfall=" + std::to_string(f->shortfall);
        }
    } else if (auto w = dynamic_cast<const WindowsFileException*>(e)) {
        out = "windows error=" + std::to_string(w->error) + " path=" + Utf8(w->path);
    } else if (auto x = dynamic_cast<const WindowsException*>(e)) {
        out = "windows error=" + std::to_string(x->error);
    } else {
        out = "exception";
    }
    return out;
}

class PrintingObserver : public DesignPatterns::IObserver {
public:
    PrintingObserver(std::map<std::string, std::vector<Answer>> answers, bool quiet)
        : answers_(std::move(answers)), quiet_(quiet) {}

    void Update(DesignPatterns::IObservable* observable) override {
        auto* event = dynamic_cast<SluiceCoreEvent*>(observable);
        if (!event) return;
        const auto& st = event->status;
        switch (event->code) {
        case SluiceCoreEvent::Started: Line("1000 started"); break;
        case SluiceCoreEvent::Ended: Line("1001 ended"); break;
        case SluiceCoreEvent::CopyStarted: Line("2000 copy-started"); break;
        case SluiceCoreEvent::Finished:
            finished_ = true;
            totalMs_ = st.totalElapsedMs;
            copyMs_ = st.copyElapsedMs;
            Line("2001 finished total-ms=" + std::to_string(st.totalElapsedMs) +
                 " copy-ms=" + std::to_string(st.copyElapsedMs));
            break;
        case SluiceCoreEvent::Error:
            ++errors_;
            Line("2002 error " + Describe(st.exception()));
            break;
        case SluiceCoreEvent::Question: Ask(*event); break;
        case SluiceCoreEvent::Enumerated:
            Line("2100 enumerated bytes=" + std::to_string(st.byteCounts.total) +
                 " weighted=" + std::to_string(st.weightedByteCounts.total) +
                 " items=" + std::to_string(st.itemCounts.total));
            break;
        case SluiceCoreEvent::ReadProgress:
        case SluiceCoreEvent::WriteProgress:
        case SluiceCoreEvent::Progress:
            Line(std::to_string(event->code) + " progress items=" + std::to_string(st.itemCounts.read) + "/" +
                 std::to_string(st.itemCounts.written) + " bytes=" + std::to_string(st.byteCounts.read) + "/" +
                 std::to_string(st.byteCounts.written));
            break;
        default: Line(std::to_string(event->code)); break;
        }
        items_ = st.itemCounts;
        bytes_ = st.byteCounts;
    }

    bool Succeeded() const { return finished_ && errors_ == 0; }
    void Summary() const {
        PROCESS_MEMORY_COUNTERS pmc{};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
        Print(std::string("summary: ") + (Succeeded() ? "ok" : "failed") + " errors=" + std::to_string(errors_) +
              " questions=" + std::to_string(questions_) + " items=" + std::to_string(items_.written) +
              "/" + std::to_string(items_.total) + " bytes=" + std::to_string(bytes_.written) +
              "/" + std::to_string(bytes_.total) + " total-ms=" + std::to_string(totalMs_) +
              " copy-ms=" + std::to_string(copyMs_) +
              " peak-working-set-kib=" + std::to_string(pmc.PeakWorkingSetSize / 1024) +
              " peak-pagefile-kib=" + std::to_string(pmc.PeakPagefileUsage / 1024));
    }

private:
    void Line(const std::string& s) {
        if (!quiet_) Print(s);
    }

    void Ask(SluiceCoreEvent& event) {
        ++questions_;
        const Marlin::Exception* e = event.status.exception();
        std::string kind = "unknown";
        if (dynamic_cast<const SluiceExceptionRetryFile*>(e)) kind = "retry";
        else if (dynamic_cast<const SluiceExceptionOverwrite*>(e)) kind = "overwrite";
        else if (dynamic_cast<const SluiceExceptionEncrypted*>(e)) kind = "encrypted";
        Answer a;
        a.value = SluiceCoreEvent::Cancel;
        if (auto it = answers_.find(kind); it != answers_.end() && !it->second.empty()) {
            size_t& next = asked_[kind];
            a = it->second[std::min(next, it->second.size() - 1)];
            ++next;
        }
        event.answer = a.value;
        event.applyToAll = a.all ? 1 : 0;
        Line("2003 question " + kind + " " + Describe(e) + " -> answer=" + std::to_string(a.value) +
             (a.all ? " all" : ""));
    }

    std::map<std::string, std::vector<Answer>> answers_;
    std::map<std::string, size_t> asked_;
    bool quiet_;
    bool finished_ = false;
    int errors_ = 0;
    int questions_ = 0;
    uint64_t totalMs_ = 0, copyMs_ = 0;
    ReadWriteData items_, bytes_;
};

int Usage() {
    std::fprintf(stderr, "usage: quaysail-engine-run [-m] [-q] [--answer KIND=VALUE[,all]]... SOURCE... DEST\n");
    return 64;
}

// The tuning the copy tool uses for a destination on a fixed disk: chunked, cached writes;
// the two threads alternate on one drive and run side by side across drives.
SluiceOption MakeOption(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move) {
    SluiceOption o;
    o.algorithmKind = SluiceOption::MultiThreadAlgorithm;
    o.sources = sources;
    o.destination = destination;
    RemoveTrailingBackslashes(o.sources, o.destination);
    const bool sameDrive = IsSameDrive(o.sources, o.destination);
    o.bufferPoolSize = 0x4000000;
    o.readChunkSize = 0x1000000;
    o.writeChunkSize = 0x10000;
    o.noBufferingThreshold = SluiceOption::Never;
    o.reserved4 = 1;
    o.foldersFirst = 1;
    o.readerWakeFreeBytes = o.writerWakeUsedBytes = sameDrive ? SluiceOption::Never : 1;
    o.move = move ? 1 : 0;
    o.retryCount = 10;
    o.retryIntervalMs = 100;
    return o;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Lines end in LF alone: the output is read by scripts on the Linux side.
    _setmode(_fileno(stdout), _O_BINARY);
    bool move = false, quiet = false;
    std::map<std::string, std::vector<Answer>> answers;
    std::vector<std::wstring> paths;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"-m" || a == L"/m") {
            move = true;
        } else if (a == L"-q") {
            quiet = true;
        } else if (a == L"--answer" && i + 1 < argc) {
            std::string given = Utf8(argv[++i]);
            size_t eq = given.find('=');
            if (eq == std::string::npos) return Usage();
            Answer ans;
            std::string value = given.substr(eq + 1);
            if (size_t comma = value.find(','); comma != std::string::npos) {
                ans.all = value.substr(comma + 1) == "all";
                value = value.substr(0, comma);
            }
            ans.value = std::atoi(value.c_str());
            answers[given.substr(0, eq)].push_back(ans);
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() < 2) return Usage();
    std::wstring destination = paths.back();
    paths.pop_back();

    PrintingObserver observer(answers, quiet);
    SluiceCore core(MakeOption(paths, destination, move));
    core.SetObserver(&observer);
    core.Run();
    observer.Summary();
    return observer.Succeeded() ? 0 : 1;
}
