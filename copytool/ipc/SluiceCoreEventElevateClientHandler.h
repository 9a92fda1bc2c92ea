// The elevated instance's observer: sends its engine's progress, errors and questions to
// the normal instance, whose progress dialog shows them, brings the user's answers back,
// and after every notification asks whether the user has cancelled there.
#pragma once

#include "IObserver.h"

namespace Marlin::Sluice {

class SluiceCopyAlgorithmMultiThreadElevateClient;

class SluiceCoreEventElevateClientHandler : public DesignPatterns::IObserver {
public:
    // The client is borrowed and must outlive every notification.
    explicit SluiceCoreEventElevateClientHandler(SluiceCopyAlgorithmMultiThreadElevateClient& client);
    ~SluiceCoreEventElevateClientHandler() override;

    // Never throws: a failed exchange leaves a question unanswered (the engine treats that
    // as cancel) and a failed cancel query counts as not cancelled.
    void Update(DesignPatterns::IObservable* observable) override;

private:
    SluiceCopyAlgorithmMultiThreadElevateClient& client_;
};

}  // namespace Marlin::Sluice
