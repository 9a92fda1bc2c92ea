// The watching side of the observer pattern: told, synchronously and on the notifying
// thread, that something it watches has news.
#pragma once

namespace DesignPatterns {

class IObservable;

class IObserver {
public:
    virtual ~IObserver() = default;
    // The observable is the one that notifies; it is valid only during the call.
    virtual void Update(IObservable* observable) = 0;
};

}  // namespace DesignPatterns
