// A job larger than the destination's free space: it is refused after the count, before
// any file is touched. T: is the 16 MiB file system that scripts/wine-prefix.sh mounts;
// where that mount could not be made the case cannot check anything and is skipped.
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

TEST_CASE("not enough free space at the destination: the shortfall is reported and no file is touched") {
    quaytest::TempDir source(L'C');
    quaytest::TempDir target(L'T');
    ULARGE_INTEGER free{};
    REQUIRE(GetDiskFreeSpaceExW(target.path().c_str(), &free, nullptr, nullptr));
    if (free.QuadPart > 64 * MiB) {
        SKIP("T: has " + std::to_string(free.QuadPart) +
             " bytes free, so it is not the small file system scripts/wine-prefix.sh mounts there "
             "(did its mount fail?)");
    }
    const uint64_t size = free.QuadPart + 3 * MiB;
    Build(source / L"s", {{L"small.txt", 100}, {L"too-big.bin", static_cast<int64_t>(size - 100)}});
    const TreeFacts sources = Snapshot(source.path());

    for (bool move : {false, true}) {
        CONTEXT(move ? "move" : "copy");
        JobObserver observer;
        RunJob(JobOption({source / L"s"}, target.path(), move), observer);

        RequireNoComplaints(observer);
        CheckFrame(observer, true);
        CHECK_EQ(observer.Outline(), std::string("1000 2000 2100 2002 2001 1001"));
        const std::vector<Seen> errors = observer.With(SluiceCoreEvent::Error);
        REQUIRE_EQ(errors.size(), 1u);
        CHECK_EQ(errors[0].type, SluiceException::NotFreeSpace);
        CHECK_EQ(errors[0].shortfall, size - free.QuadPart);
        CHECK(quaytest::ListNames(target.path()).empty());
        CheckTree(sources, source.path());
    }
}
