// The progress dialog's observer of the engine: turns every notification into a window
// message sent, not posted, to the dialog, so that the engine thread waits until the UI
// thread has handled it and a question's answer is in the event when SendMessageW returns.
//
// The message carries the event's address as WPARAM (LPARAM 0). The event exists only
// during the delivery and for the rest of the run; a handler that keeps the address past
// the message, or a variant that posted it, would read a destroyed object after 1001.
#pragma once

#include <windows.h>

#include "IObserver.h"

namespace Marlin::Sluice {

class SluiceCoreEventHandler : public DesignPatterns::IObserver {
public:
    SluiceCoreEventHandler(HWND window, UINT message);
    ~SluiceCoreEventHandler() override;

    // Sends the message when the observable is a SluiceCoreEvent and the window still
    // exists. Never throws: nothing the UI does may disturb the engine.
    void Update(DesignPatterns::IObservable* observable) override;

    HWND Window() const { return window_; }
    UINT Message() const { return message_; }

private:
    HWND window_;
    UINT message_;
};

}  // namespace Marlin::Sluice
