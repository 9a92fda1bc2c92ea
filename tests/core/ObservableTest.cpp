// The observer list: what it accepts, the order it tells observers in, and what Detach
// removes, also from inside a notification.
#include <functional>
#include <string>
#include <vector>

#include "Observable.h"
#include "TestHarness.h"

using DesignPatterns::IObservable;
using DesignPatterns::IObserver;
using DesignPatterns::Observable;

namespace {

// Writes its name into a shared trail and can run something while it is told.
class NamedObserver : public IObserver {
public:
    NamedObserver(std::string name, std::string& trail, std::function<void()> during = {})
        : name_(std::move(name)), trail_(trail), during_(std::move(during)) {}
    void Update(IObservable* observable) override {
        trail_ += name_;
        lastSubject = observable;
        if (during_) during_();
    }
    IObservable* lastSubject = nullptr;

private:
    std::string name_;
    std::string& trail_;
    std::function<void()> during_;
};

}  // namespace

TEST_CASE("Attach refuses null, keeps duplicates, and Notify tells each entry in order with the subject") {
    std::string trail;
    NamedObserver a("A", trail), b("B", trail);
    Observable subject;
    CHECK(!subject.Attach(nullptr));
    CHECK_EQ(subject.ObserverCount(), size_t(0));
    CHECK(subject.Attach(&a));
    CHECK(subject.Attach(&b));
    CHECK(subject.Attach(&a));
    CHECK_EQ(subject.ObserverCount(), size_t(3));

    subject.Notify();
    CHECK_EQ(trail, std::string("ABA"));
    CHECK(a.lastSubject == &subject);
    CHECK(b.lastSubject == &subject);
}

TEST_CASE("Detach removes only the first equal entry and reports whether it found one") {
    std::string trail;
    NamedObserver a("A", trail), b("B", trail), c("C", trail);
    Observable subject;
    subject.Attach(&a);
    subject.Attach(&b);
    subject.Attach(&a);

    CHECK(subject.Detach(&a));
    subject.Notify();
    CHECK_EQ(trail, std::string("BA"));

    CHECK(!subject.Detach(&c));
    CHECK(!subject.Detach(nullptr));
    CHECK(subject.Detach(&a));
    CHECK(!subject.Detach(&a));
    trail.clear();
    subject.Notify();
    CHECK_EQ(trail, std::string("B"));
}

TEST_CASE("an observer detached during a notification is not told again, and nobody else is skipped") {
    std::string trail;
    Observable subject;
    NamedObserver c("C", trail);
    NamedObserver d("D", trail);
    // A detaches itself, B detaches C (which might be gone by then): D must still be told.
    NamedObserver a("A", trail, [&] { subject.Detach(&a); });
    NamedObserver b("B", trail, [&] { subject.Detach(&c); });
    for (IObserver* o : std::vector<IObserver*>{&a, &b, &c, &d}) subject.Attach(o);

    subject.Notify();
    CHECK_EQ(trail, std::string("ABD"));
    CHECK_EQ(subject.ObserverCount(), size_t(2));
    trail.clear();
    subject.Notify();
    CHECK_EQ(trail, std::string("BD"));
}

TEST_CASE("an observer that throws ends the round but leaves the list usable") {
    std::string trail;
    Observable subject;
    NamedObserver a("A", trail);
    NamedObserver thrower("T", trail, [&] {
        subject.Detach(&a);
        throw 7;
    });
    subject.Attach(&thrower);
    subject.Attach(&a);
    bool thrown = false;
    try {
        subject.Notify();
    } catch (int) {
        thrown = true;
    }
    CHECK(thrown);
    // The detach made during the interrupted round still took effect.
    CHECK_EQ(subject.ObserverCount(), size_t(1));
    CHECK(subject.Detach(&thrower));
    CHECK_EQ(subject.ObserverCount(), size_t(0));
}
