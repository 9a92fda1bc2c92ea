// Jobs that cannot run: each ends with its error and then the end notification, and
// leaves the sources and the destination as they were.
#include <windows.h>

#include <string>
#include <vector>

#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace algotest;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceException;

namespace {

const std::vector<Entry> kTree = {{L"a.txt", 1000}, {L"sub", -1}, {L"sub\\b.bin", 5000}};

}  // namespace

TEST_CASE("a job that cannot start copying reports why and touches no file") {
    struct Row {
        const char* name;
        bool move;
        int failThread;        // which copy thread cannot be made
        uint64_t pool;         // 0: no pool can be made
        bool missingSource;
        int32_t type;
    };
    const Row rows[] = {
        {"the first copy thread cannot be made", false, 1, 64 * MiB, false, SluiceException::SetupFailed},
        {"the second copy thread cannot be made", false, 2, 64 * MiB, false, SluiceException::SetupFailed},
        {"the second copy thread of a move cannot be made", true, 2, 64 * MiB, false, SluiceException::SetupFailed},
        {"the pool cannot be made", true, 0, 0, false, SluiceException::BufferPoolFailed},
        {"a source does not exist", true, 0, 64 * MiB, true, SluiceException::EnumerationFailed},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"s", kTree);
        const TreeFacts sources = Snapshot(source.path());

        AlgorithmHooks hooks;
        hooks.failThreadCreation = row.failThread;
        std::vector<std::wstring> list = {source / L"s"};
        if (row.missingSource) list.push_back(source / L"not-there");
        auto option = JobOption(list, target.path(), row.move);
        option.bufferPoolSize = row.pool;
        JobObserver observer;
        RunJob(option, observer, &hooks);

        RequireNoComplaints(observer);
        CheckFrame(observer, true);
        CHECK_EQ(observer.Outline(), row.missingSource ? std::string("1000 2000 2002 2001 1001")
                                                       : std::string("1000 2000 2100 2002 2001 1001"));
        const std::vector<Seen> errors = observer.With(SluiceCoreEvent::Error);
        REQUIRE_EQ(errors.size(), 1u);
        CHECK_EQ(errors[0].type, row.type);
        CHECK_EQ(observer.Count(SluiceCoreEvent::ReadProgress) + observer.Count(SluiceCoreEvent::WriteProgress), 0u);
        CHECK_EQ(hooks.threadsCreated.load(), row.failThread == 2 ? 1 : 0);
        CHECK(quaytest::ListNames(target.path()).empty());
        CheckTree(sources, source.path());
    }
}

TEST_CASE("jobs the core refuses never reach the algorithm") {
    quaytest::TempDir work(L'C');
    Build(work / L"s", kTree);
    Build(work / L"dest", {{L"already.txt", 10}});
    const TreeFacts before = Snapshot(work.path());
    struct Row {
        const char* name;
        std::vector<std::wstring> sources;
        std::wstring destination;
        bool move;
        int32_t type;
    };
    const Row rows[] = {
        {"destination inside a source", {work / L"s"}, work / L"s\\sub", false, SluiceException::DestinationInsideSource},
        {"destination is the source", {work / L"s"}, work / L"s", true, SluiceException::DestinationInsideSource},
        {"every moved source already in the destination", {work / L"dest\\already.txt"}, work / L"dest", true,
         SluiceException::InconsistentJob},
    };
    for (const Row& row : rows) {
        CONTEXT(row.name);
        JobObserver observer;
        RunJob(JobOption(row.sources, row.destination, row.move), observer);
        CHECK_EQ(observer.Outline(), std::string("1000 2002 1001"));
        const std::vector<Seen> errors = observer.With(SluiceCoreEvent::Error);
        REQUIRE_EQ(errors.size(), 1u);
        CHECK_EQ(errors[0].type, row.type);
        CheckTree(before, work.path());
    }
}
