// An observer of a SluiceCoreEvent that keeps what each delivery showed, and optionally
// acts during the delivery (answers a question, steers a clock, throws).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "IObserver.h"
#include "SluiceCoreDisplayStatus.h"
#include "SluiceCoreEvent.h"

namespace coretest {

struct Delivery {
    int32_t code = 0;
    const Marlin::Exception* exception = nullptr;
    int32_t exceptionType = 0;  // SluiceException type; -1 for another class; 0 without one
    int32_t ownsException = 0;
    int32_t answerAtEntry = 0;
    int32_t applyToAllAtEntry = 0;
    HANDLE cancelEvent = nullptr;
    Marlin::Sluice::SluiceCoreDisplayStatus status;
};

class RecordingObserver : public DesignPatterns::IObserver {
public:
    using Action = std::function<void(Marlin::Sluice::SluiceCoreEvent& event, const Delivery& seen)>;

    explicit RecordingObserver(Action action = Action());
    ~RecordingObserver() override;

    void Update(DesignPatterns::IObservable* observable) override;

    std::vector<Delivery> Deliveries() const;
    std::vector<int32_t> Codes() const;
    // "1000 2000 2001 1001"
    std::string CodeText() const;
    size_t Count() const;
    void Clear();
    void SetAction(Action action);

private:
    mutable std::mutex lock_;
    std::vector<Delivery> deliveries_;
    Action action_;
};

}  // namespace coretest
