// The real copy algorithm with the test's hands on its seams: thread creation can be made
// to fail, the reader's and writer's data requests can be watched (through a
// CopyItemTransfer of the test's own that still does the real I/O), and the enumeration's
// folder searches can be made to break off.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "SluiceCopyAlgorithmMultiThread.h"
#include "SluiceCore.h"

namespace Marlin {
class ElevatedInstanceLauncher;
}
namespace Marlin::Sluice {
class CopyItemTransfer;
}

namespace algotest {

struct AlgorithmHooks {
    int failThreadCreation = 0;  // 1: the first copy thread cannot be made, 2: the second one
    int lateThread = 0;          // 1: the first copy thread starts its work late, 2: the second one
    DWORD lateByMs = 0;
    Marlin::Sluice::CopyItemTransfer* readerTransfer = nullptr;
    Marlin::Sluice::CopyItemTransfer* writerTransfer = nullptr;
    // What starts the elevated instance at a hand-over; null: a prompt the user refuses (a
    // test program is no copy tool, and must never be started as an elevated instance).
    Marlin::ElevatedInstanceLauncher* launcher = nullptr;
    Marlin::Sluice::SearchMaker search;  // the enumeration's folder searches; empty: the platform's
    std::atomic<int32_t> elevationNeeded{-1};  // what the algorithm said when it was destroyed
    std::atomic<int> threadsCreated{0};
};

class TestAlgorithm : public Marlin::Sluice::SluiceCopyAlgorithmMultiThread {
public:
    TestAlgorithm(const Marlin::Sluice::SluiceOption& option, Marlin::Sluice::SluiceCoreEvent& event,
                  AlgorithmHooks& hooks);
    ~TestAlgorithm() override;

    // A core factory that makes this algorithm with the given hooks (which must outlive the run).
    static Marlin::Sluice::SluiceCore::AlgorithmFactory Factory(AlgorithmHooks& hooks);

protected:
    Marlin::KernelHandle CreateCopyThread(ThreadBody body, void* argument) override;

private:
    struct LateStart {
        ThreadBody body;
        void* argument;
        DWORD delayMs;
    };
    static unsigned __stdcall StartLate(void* start);

    AlgorithmHooks& hooks_;
    int attempts_ = 0;
    std::vector<std::unique_ptr<LateStart>> lateStarts_;
};

}  // namespace algotest
