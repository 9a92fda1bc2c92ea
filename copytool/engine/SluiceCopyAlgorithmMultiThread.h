// The copy algorithm: carries out one job from start to end on the engine thread.
//
// A move on one drive first tries to rename each source into the destination; whatever is
// left is listed into item trees, checked against the destination's free space, and then
// streamed by a reader thread and a writer thread through one page-locked buffer pool.
// The reader checks every item for conflicts before reading it, the writer creates
// folders and, for a move, deletes each source once its copy is complete. The two threads
// never poll each other: each wakes the other through an event when the pool allows, and
// a thread that cannot go on wakes the other and sleeps.
//
// Outcomes reach the observers only through the run's event: copy started, enumerated
// (with the cancel event), read and write progress, questions, errors, and always, last,
// finished.
#pragma once

#include <cstdint>
#include <memory>

#include "CFindEx.h"
#include "ISluiceCopyAlgorithm.h"
#include "UniqueHandle.h"
#include "SluiceOption.h"
#include "SluiceStatus.h"
#include "Stopwatch.h"
#include "ThreadStart.h"

namespace Marlin {
class ElevatedInstanceLauncher;
}

namespace Marlin::Sluice {

class CopyBufferManagerSemaphoreLock;
class CopyItemReader;
class CopyItemTransfer;
class CopyItemWriter;
class SluiceCopyThreadContext;
class SluiceCoreEvent;

class SluiceCopyAlgorithmMultiThread : public ISluiceCopyAlgorithm {
public:
    // Copies the option; the event must outlive the algorithm.
    SluiceCopyAlgorithmMultiThread(const SluiceOption& option, SluiceCoreEvent& event);
    ~SluiceCopyAlgorithmMultiThread() override;
    SluiceCopyAlgorithmMultiThread(const SluiceCopyAlgorithmMultiThread&) = delete;
    SluiceCopyAlgorithmMultiThread& operator=(const SluiceCopyAlgorithmMultiThread&) = delete;

    void SetElevateClient(Marlin::PipeCommandClient* client) override;
    // Returns when both copy threads have ended; never while one still runs.
    void Run() override;

    // 1 when the last run's threads stopped because the user chose administrator rights.
    int32_t ElevationNeeded() const { return elevationNeeded_; }

    // Where the reader's and the writer's data requests go (null: the system's), from the
    // next run's set-up on. Borrowed; they must outlive the run.
    void SetTransfers(CopyItemTransfer* readerTransfer, CopyItemTransfer* writerTransfer);
    // What starts the elevated instance at a hand-over (null: the system's elevation).
    // Borrowed; it must outlive the run.
    void SetElevationLauncher(Marlin::ElevatedInstanceLauncher* launcher);
    // The searches the enumeration lists folders with (empty: the platform's).
    void SetSearch(SearchMaker search);

protected:
    using ThreadBody = Marlin::ThreadBody;

    // Makes one copy thread, suspended (Marlin::CreateSuspendedThread). An empty handle
    // means it could not be made; the run then starts neither thread and reports a set-up
    // failure.
    virtual Marlin::KernelHandle CreateCopyThread(ThreadBody body, void* argument);

private:
    void Setup();
    void CleanUp() noexcept;
    // 1 when every source has been renamed into the destination and nothing is left to copy.
    int32_t RenameMoves();
    void Enumerate();
    void CreateBufferPool();
    void RunThreads();
    // The elevated instance's start: the status the normal instance sends, reported as enumerated.
    void ReceiveStatus();
    // The rest of the job goes to an elevated instance, served until it ends.
    void HandOver();
    // Waits until both copy threads have ended, watching the cancel event for them
    // meanwhile; a thread that stops on an error makes the other one stop too.
    void WatchThreads(SluiceCopyThreadContext& context, const HANDLE (&threads)[2]);

    Marlin::Stopwatch totalStopwatch_;
    Marlin::Stopwatch copyStopwatch_;
    SluiceOption option_;
    SluiceCoreEvent& event_;
    std::unique_ptr<CopyBufferManagerSemaphoreLock> manager_;
    std::unique_ptr<CopyItemReader> reader_;
    std::unique_ptr<CopyItemWriter> writer_;
    SluiceStatus status_;
    Marlin::KernelHandle cancelEvent_;
    Marlin::KernelHandle readerThread_;
    Marlin::KernelHandle writerThread_;
    Marlin::KernelHandle readerWakeEvent_;
    Marlin::KernelHandle writerWakeEvent_;
    int32_t elevationNeeded_ = 0;
    Marlin::PipeCommandClient* elevateClient_ = nullptr;  // not owned
    CopyItemTransfer* readerTransfer_ = nullptr;           // not owned; null: the system's
    CopyItemTransfer* writerTransfer_ = nullptr;           // not owned; null: the system's
    Marlin::ElevatedInstanceLauncher* launcher_ = nullptr;  // not owned; null: the system's
    SearchMaker search_;
};

}  // namespace Marlin::Sluice
