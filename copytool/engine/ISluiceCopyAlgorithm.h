// A copy algorithm as the core sees it: made for one run on the engine thread, given the
// elevated instance's pipe client (if any), run to its end, destroyed.
#pragma once

#include <memory>

namespace Marlin {
class PipeCommandClient;
}

namespace Marlin::Sluice {

class SluiceCoreEvent;
class SluiceOption;

class ISluiceCopyAlgorithm {
public:
    virtual ~ISluiceCopyAlgorithm() = default;
    // Not owned. Null in the normal process; with a client the algorithm takes its items
    // from the pipe instead of enumerating.
    virtual void SetElevateClient(Marlin::PipeCommandClient* client) = 0;
    // Runs the whole job on the calling thread. Outcomes reach the observers only as
    // notifications of the event the algorithm was made with.
    virtual void Run() = 0;
};

// The algorithm the copy tool runs (SluiceCopyAlgorithmMultiThread), made with a copy of
// the option and the run's event, which must outlive it. Defined next to that class, so
// only programs that run real copies link it; SluiceCore names it only in a default
// argument, which is evaluated where the core is made.
std::unique_ptr<ISluiceCopyAlgorithm> CreateDefaultCopyAlgorithm(const SluiceOption& option, SluiceCoreEvent& event);

}  // namespace Marlin::Sluice
