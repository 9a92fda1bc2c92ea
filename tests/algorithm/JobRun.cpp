#include "JobRun.h"

#include "JobFiles.h"

#include "SluiceCore.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SourceList.h"
#include "TestHarness.h"

using namespace Marlin::Sluice;

namespace algotest {

SluiceOption JobOption(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move) {
    SluiceOption option;
    option.algorithmKind = SluiceOption::MultiThreadAlgorithm;
    option.sources = sources;
    option.destination = destination;
    option.bufferPoolSize = 64 * MiB;
    option.readChunkSize = 16 * MiB;
    option.writeChunkSize = 64 * KiB;
    option.noBufferingThreshold = SluiceOption::Never;
    option.foldersFirst = 1;
    const uint64_t wake = Marlin::IsSameDrive(sources, destination) ? SluiceOption::Never : 1;
    option.readerWakeFreeBytes = wake;
    option.writerWakeUsedBytes = wake;
    option.move = move ? 1 : 0;
    option.retryCount = 10;
    option.retryIntervalMs = 100;
    return option;
}

void RunJob(const SluiceOption& option, JobObserver& observer, AlgorithmHooks* hooks) {
    SluiceCore core(option, hooks ? TestAlgorithm::Factory(*hooks) : SluiceCore::AlgorithmFactory(&CreateDefaultCopyAlgorithm));
    core.SetObserver(&observer);
    core.Run();
}

void CheckBothThreadsCancelled(const JobObserver& observer) {
    const std::vector<Seen> errors = observer.With(SluiceCoreEvent::Error);
    REQUIRE_EQ(errors.size(), 2u);
    CHECK_EQ(errors[0].type, SluiceException::Cancelled);
    CHECK_EQ(errors[1].type, SluiceException::Cancelled);
}

void CheckFrame(const JobObserver& observer, bool errorsAllowed) {
    const std::vector<Seen> all = observer.All();
    REQUIRE(all.size() >= 4);
    CHECK_EQ(all.front().code, SluiceCoreEvent::Started);
    CHECK_EQ(all[1].code, SluiceCoreEvent::CopyStarted);
    CHECK_EQ(all[all.size() - 2].code, SluiceCoreEvent::Finished);
    CHECK_EQ(all.back().code, SluiceCoreEvent::Ended);
    CHECK_EQ(observer.Count(SluiceCoreEvent::Finished), 1u);
    if (!errorsAllowed) CHECK_EQ(observer.Count(SluiceCoreEvent::Error), 0u);
}

}  // namespace algotest
