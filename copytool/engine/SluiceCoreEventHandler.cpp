#include "SluiceCoreEventHandler.h"

#include "SluiceCoreEvent.h"
#include "TraceCaught.h"

namespace Marlin::Sluice {

SluiceCoreEventHandler::SluiceCoreEventHandler(HWND window, UINT message) : window_(window), message_(message) {}

SluiceCoreEventHandler::~SluiceCoreEventHandler() = default;

void SluiceCoreEventHandler::Update(DesignPatterns::IObservable* observable) {
    try {
        auto* event = dynamic_cast<SluiceCoreEvent*>(observable);
        if (!event || !::IsWindow(window_)) return;
        ::SendMessageW(window_, message_, reinterpret_cast<WPARAM>(event), 0);
    } catch (...) {
        // A window procedure on the notifying thread itself may throw through SendMessageW.
        Marlin::TraceCaught(L"SluiceCoreEventHandler::Update");
    }
}

}  // namespace Marlin::Sluice
