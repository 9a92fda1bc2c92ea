#include "SluiceCoreEventElevateClientHandler.h"

#include <windows.h>

#include "SluiceCopyAlgorithmMultiThreadElevateClient.h"
#include "SluiceCoreEvent.h"
#include "TraceCaught.h"

namespace Marlin::Sluice {

SluiceCoreEventElevateClientHandler::SluiceCoreEventElevateClientHandler(
    SluiceCopyAlgorithmMultiThreadElevateClient& client)
    : client_(client) {}

SluiceCoreEventElevateClientHandler::~SluiceCoreEventElevateClientHandler() = default;

void SluiceCoreEventElevateClientHandler::Update(DesignPatterns::IObservable* observable) {
    try {
        auto* event = dynamic_cast<SluiceCoreEvent*>(observable);
        if (!event) return;
        const int32_t code = event->code;
        const SluiceCoreDisplayStatus status(event->status);
        switch (code) {
        case SluiceCoreEvent::Error:
        case SluiceCoreEvent::Progress:
        case SluiceCoreEvent::ReadProgress:
        case SluiceCoreEvent::WriteProgress:
            client_.SendEvent(code, status);
            break;
        case SluiceCoreEvent::Question: {
            int32_t answer = SluiceCoreEvent::NoAnswer;
            int32_t applyToAll = 0;
            if (client_.SendQuestion(code, status, answer, applyToAll)) {
                event->answer = answer;
                event->applyToAll = applyToAll;
            }
            break;
        }
        default:
            break;  // the frame of this instance's own run is nothing the user needs to see
        }
        int32_t cancelled = 0;
        if (client_.QueryCancel(cancelled) && cancelled == 1 && event->cancelEvent) ::SetEvent(event->cancelEvent);
    } catch (...) {
        Marlin::TraceCaught(L"SluiceCoreEventElevateClientHandler::Update");
    }
}

}  // namespace Marlin::Sluice
