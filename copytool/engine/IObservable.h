// The watched side of the observer pattern.
#pragma once

namespace DesignPatterns {

class IObserver;

class IObservable {
public:
    virtual ~IObservable() = default;
    // True when the observer was added.
    virtual bool Attach(IObserver* observer) = 0;
    // True when an entry was removed.
    virtual bool Detach(IObserver* observer) = 0;
    virtual void Notify() = 0;
};

}  // namespace DesignPatterns
