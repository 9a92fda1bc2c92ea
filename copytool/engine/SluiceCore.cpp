#include "SluiceCore.h"

#include <string>
#include <utility>
#include <vector>

#include "Exception.h"
#include "SluiceCoreEvent.h"
#include "SluiceException.h"
#include "SourceList.h"
#include "ThreadStart.h"
#include "TraceCaught.h"

namespace Marlin::Sluice {

SluiceCore::SluiceCore(SluiceOption option, AlgorithmFactory factory)
    : option_(std::move(option)), factory_(std::move(factory)) {}

SluiceCore::~SluiceCore() {
    HANDLE running = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        running = threadHandle_.get();
    }
    // An observer that destroys the core while handling 1001 runs on the engine thread itself.
    if (running && ::GetThreadId(running) != ::GetCurrentThreadId()) ::WaitForSingleObject(running, INFINITE);
}

int32_t SluiceCore::Start() {
    std::lock_guard<std::mutex> guard(lock_);
    if (thread_.load() != nullptr) return 0;
    // Published before it runs: a short run would otherwise clear its reference before
    // Start has set it, and the core would look busy for ever.
    Marlin::KernelHandle started =
        Marlin::StartThread(&SluiceCore::ThreadMain, this, [this](HANDLE thread) { thread_.store(thread); });
    if (!started) return 0;
    // The previous run's thread has cleared its reference and no longer uses this object;
    // its handle can go (a waiter holds its own duplicate).
    threadHandle_ = std::move(started);
    return 1;
}

void SluiceCore::ClearThreadReference() {
    // Only the started thread clears its reference: Run called directly on some other
    // thread must not make a running engine look idle.
    HANDLE mine = thread_.load();
    if (mine && ::GetThreadId(mine) == ::GetCurrentThreadId()) thread_.compare_exchange_strong(mine, nullptr);
}

unsigned __stdcall SluiceCore::ThreadMain(void* self) {
    try {
        static_cast<SluiceCore*>(self)->Run();
    } catch (...) {
        // Run reports what it can; nothing may escape a thread.
        Marlin::TraceCaught(L"SluiceCore::ThreadMain");
    }
    return 0;
}

Marlin::KernelHandle SluiceCore::ThreadWaitHandle() const {
    std::lock_guard<std::mutex> guard(lock_);
    if (!threadHandle_) return Marlin::KernelHandle();
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), threadHandle_.get(), ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE,
                           0))
        return Marlin::KernelHandle();
    return Marlin::KernelHandle(copy);
}

bool SluiceCore::SetOption(const SluiceOption& option) {
    std::lock_guard<std::mutex> guard(lock_);
    if (thread_.load() != nullptr) return false;
    option_ = option;
    return true;
}

SluiceOption SluiceCore::Option() const {
    std::lock_guard<std::mutex> guard(lock_);
    return option_;
}

bool SluiceCore::Prepare(SluiceCoreEvent& event) {
    SluiceOption checked = Option();
    std::vector<std::wstring> sources = checked.sources;
    std::wstring destination = checked.destination;

    RemoveTrailingBackslashes(sources, destination);
    RemoveRepeatedSources(sources);
    if (checked.move == 1) {
        RemoveSourcesInDestination(sources, destination);
        if (sources.empty()) {
            const SluiceException nothingToDo(SluiceException::InconsistentJob);
            event.NotifyError(&nothingToDo);
            return false;
        }
    }
    if (IsDestinationInsideSource(sources, destination)) {
        const SluiceException inside(SluiceException::DestinationInsideSource);
        event.NotifyError(&inside);
        return false;
    }

    std::lock_guard<std::mutex> guard(lock_);
    option_.sources = std::move(sources);
    option_.destination = std::move(destination);
    return true;
}

void SluiceCore::Run() {
    try {
        SluiceCoreEvent event;
        if (DesignPatterns::IObserver* observer = observer_.load()) event.Attach(observer);
        try {
            event.NotifyStarted();
            if (Prepare(event)) {
                const SluiceOption option = Option();
                if (option.algorithmKind == SluiceOption::MultiThreadAlgorithm) {
                    std::unique_ptr<ISluiceCopyAlgorithm> algorithm = factory_ ? factory_(option, event) : nullptr;
                    if (!algorithm) {
                        const SluiceException notMade(SluiceException::SetupFailed);
                        event.NotifyError(&notMade);
                    } else {
                        algorithm->SetElevateClient(pipe_.load());
                        algorithm->Run();
                    }
                }
            }
        } catch (const Marlin::Exception& failure) {
            // The algorithm reports its own failures; this is only what escaped it (or the
            // checks), so that the observers still hear of it before 1001.
            try {
                event.NotifyError(&failure);
            } catch (...) {
                Marlin::TraceCaught(L"SluiceCore::Run, reporting an engine failure");
            }
        } catch (...) {
            try {
                event.NotifyError(nullptr);
            } catch (...) {
                Marlin::TraceCaught(L"SluiceCore::Run, reporting an unknown failure");
            }
        }
        ClearThreadReference();
        event.NotifyEnded();
    } catch (...) {
        // The event could not be made, or an observer threw at 1001.
        Marlin::TraceCaught(L"SluiceCore::Run");
        ClearThreadReference();
    }
}

}  // namespace Marlin::Sluice
