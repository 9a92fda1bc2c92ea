#include "TestAlgorithm.h"

#include "ElevatedInstanceLauncher.h"

using namespace Marlin::Sluice;

namespace algotest {

namespace {

// The elevation prompt, refused.
class RefusedPrompt : public Marlin::ElevatedInstanceLauncher {
protected:
    BOOL Execute(SHELLEXECUTEINFOW&) override {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
};

RefusedPrompt& TheRefusedPrompt() {
    static RefusedPrompt prompt;
    return prompt;
}

}  // namespace

TestAlgorithm::TestAlgorithm(const SluiceOption& option, SluiceCoreEvent& event, AlgorithmHooks& hooks)
    : SluiceCopyAlgorithmMultiThread(option, event), hooks_(hooks) {
    SetTransfers(hooks_.readerTransfer, hooks_.writerTransfer);
    SetElevationLauncher(hooks_.launcher ? hooks_.launcher : &TheRefusedPrompt());
    SetSearch(hooks_.search);
}

TestAlgorithm::~TestAlgorithm() { hooks_.elevationNeeded.store(ElevationNeeded()); }

SluiceCore::AlgorithmFactory TestAlgorithm::Factory(AlgorithmHooks& hooks) {
    return [&hooks](const SluiceOption& option, SluiceCoreEvent& event) -> std::unique_ptr<ISluiceCopyAlgorithm> {
        return std::make_unique<TestAlgorithm>(option, event, hooks);
    };
}

Marlin::KernelHandle TestAlgorithm::CreateCopyThread(ThreadBody body, void* argument) {
    if (++attempts_ == hooks_.failThreadCreation) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return Marlin::KernelHandle();
    }
    if (attempts_ == hooks_.lateThread) {
        lateStarts_.push_back(std::make_unique<LateStart>(LateStart{body, argument, hooks_.lateByMs}));
        body = &TestAlgorithm::StartLate;
        argument = lateStarts_.back().get();
    }
    Marlin::KernelHandle made = SluiceCopyAlgorithmMultiThread::CreateCopyThread(body, argument);
    if (made) ++hooks_.threadsCreated;
    return made;
}

unsigned __stdcall TestAlgorithm::StartLate(void* start) {
    const LateStart& late = *static_cast<const LateStart*>(start);
    // As a thread that the scheduler gets round to only after the other one has done its work.
    Sleep(late.delayMs);
    return late.body(late.argument);
}

}  // namespace algotest
