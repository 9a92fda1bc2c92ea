// The option creator and the engine together, as the progress dialog uses them, on a
// destination the creator takes for a removable disk (this machine has none: the
// destination's device answers come from a scripted destination, the copy goes to a real
// folder). The creator's choice must reach the writer: every file is opened unbuffered,
// every write is whole sectors at a sector boundary, the padded tail is cut back to the
// file's size, and the copy holds the sources' bytes, sizes and times.
#include <windows.h>

#include <string>
#include <vector>

#include "CreateSluiceOptionCmdLine.h"
#include "JobFiles.h"
#include "JobObserver.h"
#include "JobRun.h"
#include "RecordingTransfer.h"
#include "ScriptedDestination.h"
#include "SluiceCoreEvent.h"
#include "TestFiles.h"
#include "TestHarness.h"
#include "TestOsVersion.h"

using namespace algotest;
using rwtest::RecordingTransfer;
using Marlin::Sluice::CreateSluiceOptionCmdLine;
using Marlin::Sluice::SluiceCoreEvent;
using Marlin::Sluice::SluiceOption;

namespace {

// Sizes around a sector and a write chunk, so most files end in a partial sector.
const std::vector<Entry> kTree = {
    {L"empty.txt", 0},
    {L"one.bin", 1},
    {L"sector-less-one.bin", 511},
    {L"sector.bin", 512},
    {L"sector-and-one.bin", 513},
    {L"写真", -1},
    {L"写真\\chunk-and-one.jpg", static_cast<int64_t>(64 * KiB + 1)},
    {L"写真\\nothing-inside", -1},
    {L"docs", -1},
    {L"docs\\three-megabytes-and-seven.bin", static_cast<int64_t>(3 * MiB + 7)},
};

constexpr uint64_t kSector = 512;  // what Wine's volumes report

}  // namespace

TEST_CASE("on a removable destination every write is unbuffered and the copy holds the sources' bytes") {
    for (const bool move : {false, true}) {
        CONTEXT(move ? "move" : "copy");
        quaytest::TempDir source(L'C'), target(L'D');
        Build(source / L"s", kTree, 21);
        const TreeFacts before = Snapshot(source / L"s");

        // A USB stick: removable medium on a hot-pluggable device, FAT32 of 8 GiB.
        optiontest::ScriptedDestination stick;
        stick.usbAttached = 1;
        stick.mediaRemovable = 1;
        stick.deviceHotplug = 1;
        stick.fileSystem = L"FAT32";
        stick.totalBytes = 8 * GiB;
        const std::vector<std::wstring> sources = {source / L"s"};
        const std::wstring destination = target.path();
        const int32_t moveFlag = move ? 1 : 0;
        CreateSluiceOptionCmdLine creator(sources, destination, moveFlag, optiontest::TestOsVersion(6),
                                          stick.Queries());
        REQUIRE_EQ(creator.Create(), 1);
        const SluiceOption option = creator.GetOption();
        REQUIRE_EQ(option.noBufferingThreshold, uint64_t{0});  // the premise: every write unbuffered

        RecordingTransfer writes;
        AlgorithmHooks hooks;
        hooks.writerTransfer = &writes;
        JobObserver observer;
        RunJob(option, observer, &hooks);

        RequireNoComplaints(observer);
        CheckFrame(observer);
        CHECK_EQ(observer.Outline(), std::string("1000 2000 2100 2001 1001"));
        CheckTree(before, target / L"s");
        CHECK_EQ(quaytest::Exists(source / L"s"), !move);

        const std::vector<RecordingTransfer::Request> requests = writes.Writes();
        REQUIRE(!requests.empty());
        uint64_t written = 0;
        for (const RecordingTransfer::Request& request : requests) {
            CONTEXT("write of " + std::to_string(request.size) + " bytes at " + std::to_string(request.offset));
            CHECK(request.unbuffered);
            CHECK(request.succeeded);
            CHECK_EQ(request.offset % kSector, uint64_t{0});
            CHECK_EQ(request.size % kSector, uint64_t{0});
            written += request.size;
        }
        // Each file's partial last sector went out whole, and CheckTree saw it cut back.
        uint64_t bytes = 0, partial = 0;
        for (const auto& [name, facts] : before) {
            bytes += facts.size;
            if (facts.size % kSector != 0) ++partial;
        }
        CHECK(written > bytes);
        CHECK(written < bytes + partial * kSector);
    }
}
