// Ten thousand small files in a hundred folders, copied on one drive through a pool that
// holds only a part of them: the reader fills the pool, the writer drains it, many times.
#include <windows.h>

#include <string>
#include <vector>

#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;

TEST_CASE("ten thousand small files all arrive, each with its bytes and time") {
    quaytest::TempDir source(L'C'), target(L'C');
    std::vector<Entry> entries;
    for (int folder = 0; folder < 100; ++folder) {
        const std::wstring name = L"folder" + std::to_wstring(folder);
        entries.push_back({name, -1});
        for (int file = 0; file < 100; ++file)
            entries.push_back({name + L"\\file" + std::to_wstring(file) + L".dat", (folder * 100 + file) % 700});
    }
    Build(source / L"many", entries, 1);
    const TreeFacts sources = Snapshot(source / L"many");
    REQUIRE_EQ(sources.size(), 10100u);

    auto option = JobOption({source / L"many"}, target.path(), false);
    option.bufferPoolSize = 2 * MiB;  // room for a few hundred files at a time
    JobObserver observer;
    RunJob(option, observer);

    RequireNoComplaints(observer);
    CheckFrame(observer);
    CheckTree(sources, target / L"many");
    const std::vector<Seen> writes = observer.With(SluiceCoreEvent::WriteProgress);
    REQUIRE(!writes.empty());
    CHECK_EQ(writes.back().bytesWritten, observer.With(SluiceCoreEvent::Enumerated).at(0).bytesTotal);
}
