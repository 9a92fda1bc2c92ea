// Plays the engine's part for a progress dialog under test: delivers hand-made events
// through a real SluiceCoreEventHandler (so each one reaches the dialog by SendMessageW and
// is handled on the dialog's thread before the call returns), and reads back what the
// dialog's window shows. Used from a thread other than the dialog's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "SluiceCoreDisplayStatus.h"
#include "SluiceCoreEvent.h"
#include "SluiceCoreEventHandler.h"

namespace Marlin {
class Exception;
}

namespace quaytest {

class EngineFeeder {
public:
    explicit EngineFeeder(HWND dialog);

    // Any notification without a payload (1000, 1001, 2000).
    void Send(int32_t code);
    // 2100 with the totals of status and the cancel event (may be null).
    void Enumerated(const Marlin::Sluice::SluiceCoreDisplayStatus& status, HANDLE cancelEvent);
    // 3001 (or code) with status.
    void Progress(const Marlin::Sluice::SluiceCoreDisplayStatus& status,
                  int32_t code = Marlin::Sluice::SluiceCoreEvent::WriteProgress);
    // 2002 with the exception lent for the delivery.
    void Error(const Marlin::Exception* error);
    // 2003; returns the answer the dialog wrote, its apply-to-all in applyToAll.
    int32_t Question(const Marlin::Exception* question, int32_t& applyToAll);

    HWND Dialog() const { return dialog_; }
    std::wstring Text(int id) const;
    std::wstring Title() const;
    bool Visible() const;
    bool Enabled(int id) const;
    bool Marquee() const;
    int32_t BarHigh() const;
    int32_t BarLow() const;
    int32_t BarPosition() const;

private:
    HWND dialog_;
    Marlin::Sluice::SluiceCoreEventHandler handler_;
    Marlin::Sluice::SluiceCoreEvent event_;
};

}  // namespace quaytest
