// A copy algorithm that only plays a script against the run's event, and writes down how
// the core made, used and destroyed it.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ISluiceCopyAlgorithm.h"
#include "SluiceCore.h"
#include "SluiceOption.h"

namespace coretest {

// What every fake of one test did, in order, next to what the test's observer adds.
struct StepLog {
    void Add(const std::string& step);
    std::vector<std::string> Steps() const;
    std::string Text() const;  // steps joined with ", "

    mutable std::mutex lock;
    std::vector<std::string> steps;
    Marlin::Sluice::SluiceOption optionSeen;
    Marlin::PipeCommandClient* clientSeen = nullptr;
    int made = 0;
};

class FakeAlgorithm : public Marlin::Sluice::ISluiceCopyAlgorithm {
public:
    using Script = std::function<void(Marlin::Sluice::SluiceCoreEvent& event)>;

    FakeAlgorithm(const Marlin::Sluice::SluiceOption& option, Marlin::Sluice::SluiceCoreEvent& event, Script script,
                  StepLog& log);
    ~FakeAlgorithm() override;

    void SetElevateClient(Marlin::PipeCommandClient* client) override;
    void Run() override;

    // A factory for SluiceCore that makes one of these per run.
    static Marlin::Sluice::SluiceCore::AlgorithmFactory Factory(StepLog& log, Script script = Script());

private:
    Marlin::Sluice::SluiceCoreEvent& event_;
    Script script_;
    StepLog& log_;
};

}  // namespace coretest
