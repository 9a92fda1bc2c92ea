// An ordered list of borrowed observers, each told in list order.
//
// The list itself takes no lock: observers are attached before notifications begin, and
// whoever notifies from several threads serialises the calls (SluiceCoreEvent does).
#pragma once

#include <cstddef>
#include <vector>

#include "IObservable.h"
#include "IObserver.h"

namespace DesignPatterns {

class Observable : public IObservable {
public:
    Observable() = default;
    ~Observable() override = default;
    // A copy would hand borrowed observers to a second subject they never agreed to watch.
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    // A null observer is refused. The same observer may be attached more than once and is
    // then told once per entry.
    bool Attach(IObserver* observer) override;
    // Removes the first entry equal to observer.
    bool Detach(IObserver* observer) override;
    // Calls Update(this) on every observer in list order. An observer may detach itself
    // or others from inside Update: a detached observer is not called again, not even
    // later in the same round (it may already be gone), and no other entry is skipped.
    void Notify() override;

    size_t ObserverCount() const;

private:
    void DropDetached();

    std::vector<IObserver*> observers_;  // not owned; null marks an entry detached mid-round
    int notifying_ = 0;                  // nesting depth of Notify
};

}  // namespace DesignPatterns
