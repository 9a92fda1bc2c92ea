// Figures of the elevation pipe's records, natively (bench/elevate.sh builds this without
// sanitizers and runs it):
//
//   event     the size of one relayed event and the time of one notification after 1
//             minute, 1 hour and 10 hours of speed samples, with the sample lists as they
//             were (every sample kept) and as they are (the last one kept). A notification
//             here is what each delivery costs in the two processes: the observer's copy of
//             the status, the event request written, and the request read back.
//   handover  the size of the status message and the time of the whole hand-over (status
//             written, moved in the pipe's 1024-byte steps as the channel's reader gathers
//             them, read and rebuilt) for jobs of 1 000, 100 000 and 1 000 000 items.
//
// Runs are interleaved (before, after, before, ... or the sizes in turn) and each figure is
// given as min / median / max over the repetitions.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "SluiceCoreDisplayStatusRecord.h"
#include "SluiceElevateMessages.h"
#include "SluiceStatusRecord.h"

using namespace Marlin;
using namespace Marlin::Sluice;
using Clock = std::chrono::steady_clock;

namespace {

struct Spread {
    std::vector<double> values;
    void Add(double v) { values.push_back(v); }
    std::string Text(const char* unit) const {
        std::vector<double> v(values);
        std::sort(v.begin(), v.end());
        char b[160];
        std::snprintf(b, sizeof b, "%10.3f / %10.3f / %10.3f %s", v.front(), v[v.size() / 2], v.back(), unit);
        return b;
    }
};

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A status after this many seconds of copying: two progress deliveries a second per side,
// each adding one lap and one cumulative sample on its side.
SluiceCoreDisplayStatus AfterSeconds(uint64_t seconds, bool trimmed) {
    SluiceCoreDisplayStatus s;
    s.sourceFolder = L"C:\\Users\\user\\Documents";
    s.destinationFolder = L"\\\\server\\share\\backup";
    s.readingPath = L"C:\\Users\\user\\Documents\\projects\\report-2026\\figures\\chart-0042.png";
    s.writingPath = L"\\\\server\\share\\backup\\projects\\report-2026\\figures\\chart-0041.png";
    const uint64_t samples = seconds * 2;
    for (uint64_t i = 1; i <= samples; ++i) {
        const SluiceCoreDisplayStatusLapTime current(i * 500, i * 40000000);
        if (trimmed) {
            SluiceCoreDisplayStatus::TakeSample(current, s.lastRead, s.readLaps, s.readTotals);
            SluiceCoreDisplayStatus::TakeSample(current, s.lastWrite, s.writeLaps, s.writeTotals);
        } else {
            // What every delivery used to leave: each list one entry longer.
            s.readTotals.push_back(current);
            s.writeTotals.push_back(current);
            s.readLaps.emplace_back(500, 40000000);
            s.writeLaps.emplace_back(500, 40000000);
            s.lastRead = s.lastWrite = current;
        }
    }
    return s;
}

int Event(int reps) {
    std::printf("relayed event: size of the request, time of one notification (min / median / max of %d)\n", reps);
    for (uint64_t minutes : {1, 60, 600}) {
        const SluiceCoreDisplayStatus statuses[2] = {AfterSeconds(minutes * 60, false), AfterSeconds(minutes * 60, true)};
        Spread times[2];
        size_t sizes[2] = {0, 0};
        for (int r = 0; r < reps; ++r) {
            for (int k = 0; k < 2; ++k) {
                const auto start = Clock::now();
                const SluiceCoreDisplayStatus copy(statuses[k]);  // the observer's copy
                const std::vector<uint8_t> request =
                    SluiceElevateMessages::EventRequest(SluiceElevateMessages::kEvent, 3001, copy);
                CDataParser in(request.data() + 8, request.size() - 8);
                SluiceCoreDisplayStatus received;
                if (!SluiceCoreDisplayStatusRecord::Get(in, received)) std::abort();
                times[k].Add(MillisecondsSince(start));
                sizes[k] = request.size();
            }
        }
        for (int k = 0; k < 2; ++k)
            std::printf("  %5llu min  %-6s %10zu bytes  %s\n", static_cast<unsigned long long>(minutes),
                        k == 0 ? "before" : "after", sizes[k], times[k].Text("ms").c_str());
    }
    return 0;
}

// A job of about this many items: one source folder of folders of 100 files each.
CopyItemsData Job(size_t items) {
    CopyItemsData data;
    CopyItemTree tree;
    auto head = tree.set_head(CopyItemData(L"C:\\Users\\user\\Documents", 0, CopyItemKind::Root));
    auto source = tree.append_child(head, CopyItemData(L"", 0, CopyItemKind::Folder));
    size_t made = 1;
    for (size_t folder = 0; made < items; ++folder) {
        auto f = tree.append_child(source, CopyItemData(L"folder-" + std::to_wstring(folder), 0, CopyItemKind::Folder));
        ++made;
        for (int file = 0; file < 100 && made < items; ++file, ++made)
            tree.append_child(f, CopyItemData(L"document-" + std::to_wstring(file) + L".txt", 4096 + file,
                                              CopyItemKind::File, file % 3 == 0 ? 0x23 : 0));
    }
    data.AppendTree(std::move(tree));
    data.itemCount = static_cast<int64_t>(made);
    return data;
}

int HandOver(int reps) {
    std::printf("hand-over: status message size; write, 1024-byte steps, read and rebuild (min / median / max of %d)\n",
                reps);
    const size_t counts[] = {1000, 100000, 1000000};
    CopyItemsData jobs[3] = {Job(counts[0]), Job(counts[1]), Job(counts[2])};
    Spread times[3];
    size_t sizes[3] = {0, 0, 0};
    for (int r = 0; r < reps; ++r) {
        for (int k = 0; k < 3; ++k) {
            SluiceStatusRecord::Cursor cursor;
            cursor.tree = 0;
            cursor.node = jobs[k].Tree(0).begin();
            for (size_t i = 0; i < counts[k] / 2; ++i) ++cursor.node;  // half-way through the job
            cursor.state = SluiceStatusItemInfo::Walking;
            cursor.phase = SluiceStatusItemInfo::SinglePass;
            const auto start = Clock::now();
            CDataConverter out;
            out.Put(int32_t{0});
            SluiceStatusRecord::Put(out, 0, 0, jobs[k], cursor, cursor);
            // The reader's gathering: each step appended to the message as it arrives.
            std::vector<uint8_t> message;
            for (size_t at = 0; at < out.Size(); at += 1024) {
                const size_t step = std::min<size_t>(1024, out.Size() - at);
                const size_t before = message.size();
                message.resize(before + 1024);
                std::memcpy(message.data() + before, out.Data() + at, step);
                message.resize(before + step);
            }
            SluiceStatusRecord received;
            if (!SluiceElevateMessages::ReadStatusReply(message.data(), message.size(), received)) std::abort();
            times[k].Add(MillisecondsSince(start));
            sizes[k] = out.Size();
        }
    }
    for (int k = 0; k < 3; ++k) {
        std::vector<double> perItem;
        for (double t : times[k].values) perItem.push_back(t * 1e6 / static_cast<double>(counts[k]));
        Spread per{perItem};
        std::printf("  %8zu items %12zu bytes  %s  (%s per item)\n", counts[k], sizes[k], times[k].Text("ms").c_str(),
                    per.Text("ns").c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (what == "event") return Event(reps);
    if (what == "handover") return HandOver(reps);
    std::fprintf(stderr, "usage: bench-elevate-records event|handover [repetitions]\n");
    return 2;
}
