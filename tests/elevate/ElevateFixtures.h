// What the elevation tests under Wine share: a launcher that starts this test program (or
// the real Quaysail.exe) through the real ShellExecuteExW, counting its launches; a server
// that records each request's command; and an observer of the normal instance's event.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ElevatedInstanceLauncher.h"
#include "IObserver.h"
#include "SluiceCopyAlgorithmMultiThreadElevate.h"
#include "SluiceCoreEvent.h"
#include "SluiceOption.h"
#include "SluiceStatus.h"
#include "Stopwatch.h"
#include "UniqueHandle.h"

namespace elevatetest {

// The built Quaysail.exe as a Windows path.
std::wstring QuaysailPath();

class CountingLauncher : public Marlin::ElevatedInstanceLauncher {
public:
    // child empty: the real Quaysail.exe with "/p" and the pipe name; else this test program
    // as that child, given "/p" and the pipe name as its arguments.
    explicit CountingLauncher(std::string child = std::string());

    std::atomic<int> launches{0};
    std::wstring verbUsed;
    // Instead of the call: fail with this error (a refused prompt is 1223).
    DWORD failWith = 0;
    // The launched process, duplicated for the test (empty until a launch).
    Marlin::KernelHandle process;

protected:
    BOOL Execute(SHELLEXECUTEINFOW& info) override;
    std::wstring ProgramPath() const override;

private:
    std::string child_;
    std::wstring parameters_;
};

// The real server, with every request's command recorded before it is answered.
class RecordingServer : public Marlin::Sluice::SluiceCopyAlgorithmMultiThreadElevate {
public:
    using SluiceCopyAlgorithmMultiThreadElevate::SluiceCopyAlgorithmMultiThreadElevate;
    void OnCommand(const std::vector<uint8_t>& message) override;
    std::vector<int32_t> Commands() const;

private:
    mutable std::mutex lock_;
    std::vector<int32_t> commands_;
};

// The normal instance's dialog stand-in: records each delivery's code and exception type,
// answers questions, and runs an optional hook at every delivery (on the engine thread).
class EventLog : public DesignPatterns::IObserver {
public:
    struct Entry {
        int32_t code;
        std::string exceptionClass;  // typeid name, empty without one
        std::wstring readingPath;
        uint64_t totalMs;
    };
    void Update(DesignPatterns::IObservable* observable) override;
    std::vector<Entry> Entries() const;
    std::vector<int32_t> Codes() const;

    int32_t answer = 5;
    int32_t applyToAll = 1;
    std::function<void(Marlin::Sluice::SluiceCoreEvent&)> hook;

private:
    mutable std::mutex lock_;
    std::vector<Entry> entries_;
};

std::string Join(const std::vector<int32_t>& values);

// The elevation pipe's name for this process.
std::wstring OwnPipeName();
// Named events shared with a child, named after the parent: made by the parent, opened by
// the child from the parent's id as its argument.
Marlin::KernelHandle MakeSignal(const char* what);
Marlin::KernelHandle OpenSignal(const char* what, const std::string& parentId);
// A child's body: takes the elevation pipe's name of the parent first, with room for any
// number of instances (the strongest squat), signals "squat-ready", and counts what a
// client that connects says before it goes. 0 when that was nothing.
int SquatElevationPipe(const std::string& parentId);

// The normal instance's side: an event the dialog stand-in observes, an empty status and
// running clocks, and the algorithm's cancel event (auto-reset, as the algorithm makes it).
struct NormalSide {
    Marlin::Sluice::SluiceOption option;
    Marlin::Sluice::SluiceCoreEvent event;
    EventLog log;
    Marlin::Sluice::SluiceStatus status;
    Marlin::Stopwatch total;
    Marlin::Stopwatch copy;
    Marlin::KernelHandle cancel{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};

    NormalSide();
};

}  // namespace elevatetest
