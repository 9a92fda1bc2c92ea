#include "RecordingObserver.h"

#include <utility>

#include "SluiceException.h"

namespace coretest {

RecordingObserver::RecordingObserver(Action action) : action_(std::move(action)) {}

RecordingObserver::~RecordingObserver() = default;

void RecordingObserver::Update(DesignPatterns::IObservable* observable) {
    auto* event = dynamic_cast<Marlin::Sluice::SluiceCoreEvent*>(observable);
    if (!event) return;
    Delivery seen;
    seen.code = event->code;
    seen.exception = event->status.exception();
    if (auto* sluice = dynamic_cast<const Marlin::Sluice::SluiceException*>(seen.exception))
        seen.exceptionType = sluice->type;
    else if (seen.exception)
        seen.exceptionType = -1;
    seen.ownsException = event->status.ownsException();
    seen.answerAtEntry = event->answer;
    seen.applyToAllAtEntry = event->applyToAll;
    seen.cancelEvent = event->cancelEvent;
    seen.status = event->status;
    Action action;
    {
        std::lock_guard<std::mutex> guard(lock_);
        deliveries_.push_back(seen);
        action = action_;
    }
    if (action) action(*event, seen);
}

std::vector<Delivery> RecordingObserver::Deliveries() const {
    std::lock_guard<std::mutex> guard(lock_);
    return deliveries_;
}

std::vector<int32_t> RecordingObserver::Codes() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<int32_t> codes;
    for (const Delivery& d : deliveries_) codes.push_back(d.code);
    return codes;
}

std::string RecordingObserver::CodeText() const {
    std::string text;
    for (int32_t c : Codes()) text += (text.empty() ? "" : " ") + std::to_string(c);
    return text;
}

size_t RecordingObserver::Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return deliveries_.size();
}

void RecordingObserver::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    deliveries_.clear();
}

void RecordingObserver::SetAction(Action action) {
    std::lock_guard<std::mutex> guard(lock_);
    action_ = std::move(action);
}

}  // namespace coretest
