// One job's engine: owns the job's option, runs the job on an engine thread of its own,
// checks the job before the algorithm starts, and gives the algorithm the run's event
// channel (SluiceCoreEvent), whose observers see 1000 first and 1001 last.
//
// States: idle (no thread) -> running (Start) -> idle again. The thread reference is
// cleared by the engine thread itself just before it delivers 1001, so an observer that
// handles 1001 already sees the core idle, while the thread still runs for a moment; a
// caller that must know the thread has really ended waits on ThreadWaitHandle().
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "ISluiceCopyAlgorithm.h"
#include "UniqueHandle.h"
#include "SluiceOption.h"

namespace DesignPatterns {
class IObserver;
}

namespace Marlin::Sluice {

class SluiceCoreEvent;

class SluiceCore {
public:
    // Makes the algorithm of one run; null means it could not be made.
    using AlgorithmFactory =
        std::function<std::unique_ptr<ISluiceCopyAlgorithm>(const SluiceOption& option, SluiceCoreEvent& event)>;

    // The default factory is named here, in a default argument, so that it is linked only
    // into programs that make a core without giving their own factory.
    explicit SluiceCore(SluiceOption option = SluiceOption(), AlgorithmFactory factory = &CreateDefaultCopyAlgorithm);
    // Waits for a running engine thread to end: the thread uses this object until it
    // clears its reference. The owner must not destroy the core on a thread that the
    // engine is waiting for (the UI thread while a notification is being delivered).
    virtual ~SluiceCore();
    SluiceCore(const SluiceCore&) = delete;
    SluiceCore& operator=(const SluiceCore&) = delete;

    // Starts Run on a new engine thread. 1 when started; 0 when a run is active or the
    // thread cannot be made.
    int32_t Start();
    // The thread body: checks the job and runs the algorithm, on the calling thread.
    virtual void Run();

    // Whether a thread started by Start has not yet cleared its reference. Safe from any thread.
    bool HasThread() const { return thread_.load() != nullptr; }
    // A handle of the engine thread of the latest Start that the caller owns: it stays
    // valid after the thread has ended, so a wait on it cannot meet a closed handle.
    // Empty when no thread was ever started or it cannot be duplicated.
    Marlin::KernelHandle ThreadWaitHandle() const;

    // The option may be replaced only while idle; false (and nothing changed) otherwise.
    bool SetOption(const SluiceOption& option);
    // A copy, because the engine thread stores the checked source list back into it.
    SluiceOption Option() const;
    // Not owned; attached to each run's event. Set it while idle.
    void SetObserver(DesignPatterns::IObserver* observer) { observer_.store(observer); }
    DesignPatterns::IObserver* Observer() const { return observer_.load(); }
    // The elevated instance's pipe client, handed to the algorithm; null in the normal process.
    void SetPipe(Marlin::PipeCommandClient* pipe) { pipe_.store(pipe); }
    Marlin::PipeCommandClient* Pipe() const { return pipe_.load(); }

private:
    static unsigned __stdcall ThreadMain(void* self);
    void ClearThreadReference();
    // Checks copies of the source list and destination; on success stores them back.
    bool Prepare(SluiceCoreEvent& event);

    mutable std::mutex lock_;  // guards option_ and threadHandle_
    SluiceOption option_;
    // The run's thread while it is active; written by Start and by the engine thread,
    // read by any thread, hence atomic. Not an owner: threadHandle_ owns the handle.
    std::atomic<HANDLE> thread_{nullptr};
    std::atomic<DesignPatterns::IObserver*> observer_{nullptr};
    std::atomic<Marlin::PipeCommandClient*> pipe_{nullptr};
    Marlin::KernelHandle threadHandle_;  // the latest started thread
    AlgorithmFactory factory_;
};

}  // namespace Marlin::Sluice
