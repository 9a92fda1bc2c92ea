// The display status as a record that observers copy and the pipe reader fills: a fresh
// status, complete and independent copies, and who deletes an attached exception.
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "DisplayStatusChecks.h"
#include "Exception.h"
#include "SluiceCoreDisplayStatus.h"
#include "TestHarness.h"

using Marlin::Sluice::SluiceCoreDisplayStatus;
using Lap = Marlin::Sluice::SluiceCoreDisplayStatusLapTime;

namespace {

// Counts the instances alive, so a test sees an exception deleted too early, twice
// (also caught by the sanitizers natively) or never.
class CountedException : public Marlin::Exception {
public:
    explicit CountedException(int32_t code) : Marlin::Exception("counted", code) { ++alive; }
    ~CountedException() override { --alive; }
    static int alive;
};
int CountedException::alive = 0;

SluiceCoreDisplayStatus Filled() {
    SluiceCoreDisplayStatus s;
    s.totalElapsedMs = 1;
    s.copyElapsedMs = 2;
    s.byteCounts = {3, 4, 5};
    s.weightedByteCounts = {6, 7, 8};
    s.itemCounts = {9, 10, 11};
    s.sourceFolder = L"C:\\src";
    s.destinationFolder = L"D:\\dst";
    s.readingPath = L"C:\\src\\r.txt";
    s.writingPath = L"D:\\dst\\w.txt";
    s.lastRead = {12, 13};
    s.lastWrite = {14, 15};
    s.readLaps = {{16, 17}, {18, 19}};
    s.writeLaps = {{20, 21}};
    s.readTotals = {{22, 23}, {24, 25}, {26, 27}};
    s.writeTotals = {{28, 29}};
    return s;
}

void CheckSame(const SluiceCoreDisplayStatus& a, const SluiceCoreDisplayStatus& b) {
    displaystatustest::CheckSameDisplayStatus(a, b);
    CHECK(a.exception() == b.exception());
}

}  // namespace

TEST_CASE("a new display status is all zero and empty") {
    // Placement over a dirty buffer: a field without an initialiser would show the junk.
    alignas(SluiceCoreDisplayStatus) unsigned char storage[sizeof(SluiceCoreDisplayStatus)];
    for (auto& byte : storage) byte = 0xA5;
    auto* s = new (storage) SluiceCoreDisplayStatus;
    CHECK_EQ(s->totalElapsedMs, uint64_t{0});
    CHECK_EQ(s->copyElapsedMs, uint64_t{0});
    for (auto* counts : {&s->byteCounts, &s->weightedByteCounts, &s->itemCounts}) {
        CHECK_EQ(counts->total, uint64_t{0});
        CHECK_EQ(counts->read, uint64_t{0});
        CHECK_EQ(counts->written, uint64_t{0});
    }
    CHECK(s->sourceFolder.empty() && s->destinationFolder.empty());
    CHECK(s->readingPath.empty() && s->writingPath.empty());
    CHECK(s->lastRead == Lap(0, 0));
    CHECK(s->lastWrite == Lap(0, 0));
    CHECK(s->readLaps.empty() && s->writeLaps.empty() && s->readTotals.empty() && s->writeTotals.empty());
    CHECK(s->exception() == nullptr);
    CHECK_EQ(s->ownsException(), 0);
    s->~SluiceCoreDisplayStatus();
}

TEST_CASE("a copy of a display status holds every field and lists of its own") {
    const SluiceCoreDisplayStatus original = Filled();
    SluiceCoreDisplayStatus constructed(original);
    CheckSame(constructed, original);
    SluiceCoreDisplayStatus assigned;
    assigned.readLaps = {{1, 1}};
    assigned = original;
    CheckSame(assigned, original);

    constructed.readLaps.push_back({99, 99});
    constructed.writeTotals.clear();
    assigned.sourceFolder = L"X:\\";
    CHECK_EQ(original.readLaps.size(), size_t{2});
    CHECK_EQ(original.writeTotals.size(), size_t{1});
    CHECK_EQ(original.sourceFolder, std::wstring(L"C:\\src"));
}

TEST_CASE("a lent exception is never deleted by the status or its copies") {
    CountedException lent(1);
    {
        SluiceCoreDisplayStatus status;
        status.SetException(&lent);
        CHECK(status.exception() == &lent);
        CHECK_EQ(status.ownsException(), 0);
        SluiceCoreDisplayStatus copy(status);
        CHECK(copy.exception() == &lent);
        status.SetException(nullptr);
    }
    CHECK_EQ(CountedException::alive, 1);
}

TEST_CASE("an owned exception is deleted once: when replaced, or with the last status that holds it") {
    {
        SluiceCoreDisplayStatus status;
        status.AttachException(std::make_unique<CountedException>(2));
        CHECK_EQ(status.ownsException(), 1);
        CHECK_EQ(CountedException::alive, 1);
    }
    CHECK_EQ(CountedException::alive, 0);

    {
        SluiceCoreDisplayStatus status;
        status.AttachException(std::make_unique<CountedException>(3));
        CountedException lent(4);
        status.SetException(&lent);  // the owned one goes first
        CHECK_EQ(CountedException::alive, 1);
        CHECK_EQ(status.ownsException(), 0);
        status.AttachException(std::make_unique<CountedException>(5));
        status.AttachException(std::make_unique<CountedException>(6));
        CHECK_EQ(CountedException::alive, 2);
        REQUIRE(status.exception() != nullptr);
        CHECK_EQ(status.exception()->code, 6);

        // Lending the very exception it owns must not delete it.
        status.SetException(status.exception());
        REQUIRE_EQ(CountedException::alive, 2);
        CHECK_EQ(status.exception()->code, 6);
    }
    CHECK_EQ(CountedException::alive, 0);

    {
        SluiceCoreDisplayStatus moved;
        {
            SluiceCoreDisplayStatus received;
            received.AttachException(std::make_unique<CountedException>(7));
            moved = std::move(received);
            CHECK(received.exception() == nullptr);
        }
        CHECK_EQ(moved.ownsException(), 1);
        REQUIRE_EQ(CountedException::alive, 1);
        CHECK_EQ(moved.exception()->code, 7);
    }
    CHECK_EQ(CountedException::alive, 0);
}

TEST_CASE("a copy that outlives the status owning the exception can still read it") {
    // As in the relay of an elevated copy: the event's status takes over a received
    // status, whose owner is destroyed right after the reply.
    SluiceCoreDisplayStatus eventStatus;
    {
        SluiceCoreDisplayStatus received = Filled();
        received.AttachException(std::make_unique<CountedException>(8));
        eventStatus = received;
        CHECK_EQ(eventStatus.ownsException(), 0);
        CHECK(eventStatus.exception() == received.exception());
        SluiceCoreDisplayStatus observerCopy(eventStatus);
        CHECK_EQ(observerCopy.ownsException(), 0);
    }
    REQUIRE_EQ(CountedException::alive, 1);
    REQUIRE(eventStatus.exception() != nullptr);
    CHECK_EQ(eventStatus.exception()->code, 8);
    CHECK_EQ(eventStatus.exception()->message, std::string("counted"));

    // The next delivery replaces it; nobody holds it any more.
    eventStatus.SetException(nullptr);
    CHECK_EQ(CountedException::alive, 0);

    {
        SluiceCoreDisplayStatus owner;
        owner.AttachException(std::make_unique<CountedException>(9));
        SluiceCoreDisplayStatus& alias = owner;
        owner = alias;  // assigning a status to itself keeps what it owns
        CHECK_EQ(owner.ownsException(), 1);
        CHECK_EQ(CountedException::alive, 1);
    }
    CHECK_EQ(CountedException::alive, 0);
}
