#include "Observable.h"

#include <algorithm>

namespace DesignPatterns {

bool Observable::Attach(IObserver* observer) {
    if (!observer) return false;
    observers_.push_back(observer);
    return true;
}

bool Observable::Detach(IObserver* observer) {
    if (!observer) return false;
    auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it == observers_.end()) return false;
    // Erasing during a round would shift the entries behind it past the walking index.
    if (notifying_ > 0)
        *it = nullptr;
    else
        observers_.erase(it);
    return true;
}

void Observable::Notify() {
    ++notifying_;
    try {
        // By index: Attach from inside Update may reallocate the list.
        for (size_t i = 0; i < observers_.size(); ++i)
            if (IObserver* observer = observers_[i]) observer->Update(this);
    } catch (...) {
        if (--notifying_ == 0) DropDetached();
        throw;
    }
    if (--notifying_ == 0) DropDetached();
}

size_t Observable::ObserverCount() const {
    return static_cast<size_t>(std::count_if(observers_.begin(), observers_.end(), [](IObserver* o) { return o != nullptr; }));
}

void Observable::DropDetached() { observers_.erase(std::remove(observers_.begin(), observers_.end(), nullptr), observers_.end()); }

}  // namespace DesignPatterns
