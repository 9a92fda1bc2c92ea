// Watches a whole copy job through its event channel: keeps one record per delivery,
// answers questions from a script, and runs an optional check at every delivery (on the
// engine's threads, so checks report into a list that the test reads afterwards).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "IObserver.h"

namespace Marlin::Sluice {
class SluiceCoreEvent;
}

namespace algotest {

struct Seen {
    int32_t code = 0;
    int32_t type = 0;      // SluiceException type of the carried exception; -1 another class; 0 none
    uint32_t error = 0;    // retry question: the platform error
    std::wstring path;     // retry: the failed path; overwrite: source; encryption: the item
    std::wstring destinationPath;          // overwrite question
    bool sourceIsFolder = false;           // overwrite question
    bool destinationIsFolder = false;      // overwrite question
    uint64_t shortfall = 0;                // not-enough-space error
    uint64_t totalMs = 0, copyMs = 0;
    uint64_t bytesTotal = 0, bytesRead = 0, bytesWritten = 0;
    std::wstring readingPath, writingPath;
    int32_t answer = 0, applyToAll = 0;    // what the script replied to a question
};

struct Reply {
    int32_t answer = 0;
    int32_t applyToAll = 0;
};

class JobObserver : public DesignPatterns::IObserver {
public:
    using Script = std::function<Reply(const Seen& question)>;
    using Check = std::function<void(const Seen& delivery)>;

    JobObserver();
    ~JobObserver() override;

    void Update(DesignPatterns::IObservable* observable) override;

    // Replies in order; a question beyond the list is recorded as unexpected and cancelled.
    void Answer(std::vector<Reply> replies);
    void SetScript(Script script);
    void SetCheck(Check check);

    std::vector<Seen> All() const;
    std::vector<Seen> With(int32_t code) const;
    // "1000 2000 2100 2001 1001" without the progress codes 3000 and 3001.
    std::string Outline() const;
    size_t Count(int32_t code) const;
    // The cancel event published with 2100 (the event's own handle: valid while it lives).
    HANDLE CancelEvent() const { return cancelEvent_.load(); }

    // Problems found on the engine's threads: unexpected questions, failed checks.
    void Complain(const std::string& problem);
    std::vector<std::string> Complaints() const;

private:
    mutable std::mutex lock_;
    std::vector<Seen> seen_;
    std::vector<Reply> replies_;
    size_t nextReply_ = 0;
    Script script_;
    Check check_;
    std::vector<std::string> complaints_;
    std::atomic<HANDLE> cancelEvent_{nullptr};
};

// Fails the current test with every complaint the observer collected.
void RequireNoComplaints(const JobObserver& observer);

}  // namespace algotest
