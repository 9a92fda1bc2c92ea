#include "FakeAlgorithm.h"

#include <utility>

namespace coretest {

void StepLog::Add(const std::string& step) {
    std::lock_guard<std::mutex> guard(lock);
    steps.push_back(step);
}

std::vector<std::string> StepLog::Steps() const {
    std::lock_guard<std::mutex> guard(lock);
    return steps;
}

std::string StepLog::Text() const {
    std::string text;
    for (const std::string& s : Steps()) text += (text.empty() ? "" : ", ") + s;
    return text;
}

FakeAlgorithm::FakeAlgorithm(const Marlin::Sluice::SluiceOption& option, Marlin::Sluice::SluiceCoreEvent& event,
                             Script script, StepLog& log)
    : event_(event), script_(std::move(script)), log_(log) {
    {
        std::lock_guard<std::mutex> guard(log_.lock);
        log_.optionSeen = option;
        ++log_.made;
    }
    log_.Add("made");
}

FakeAlgorithm::~FakeAlgorithm() { log_.Add("destroyed"); }

void FakeAlgorithm::SetElevateClient(Marlin::PipeCommandClient* client) {
    {
        std::lock_guard<std::mutex> guard(log_.lock);
        log_.clientSeen = client;
    }
    log_.Add("client");
}

void FakeAlgorithm::Run() {
    log_.Add("run");
    if (script_) script_(event_);
}

Marlin::Sluice::SluiceCore::AlgorithmFactory FakeAlgorithm::Factory(StepLog& log, Script script) {
    return [&log, script](const Marlin::Sluice::SluiceOption& option, Marlin::Sluice::SluiceCoreEvent& event) {
        return std::unique_ptr<Marlin::Sluice::ISluiceCopyAlgorithm>(new FakeAlgorithm(option, event, script, log));
    };
}

}  // namespace coretest
