// The test's side of the logging service stand-in (quaytest-logging-service): starts it
// for the current user (see TestUser) with a record folder of its own, waits until it
// announces itself, and at the end stops it and reads back what it received.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "NoticeMessage.h"
#include "UniqueHandle.h"

namespace quaytest {

class LoggingService {
public:
    struct Options {
        DWORD pipeAfterMs = 0;       // hold the mutex at once, open the pipe this much later
        DWORD dropMutexAfterMs = 0;  // with dropMutex: let the mutex go this much later, no pipe
        bool dropMutex = false;
        bool fromGo = false;         // count those delays from Go() instead of from the start
    };
    struct Notice {
        std::string bytes;                 // the message as it arrived
        std::string destinationListing;    // TreeListing of its destination on arrival

        // The message read back; fails the test when it is no whole notice message.
        Marlin::NoticeMessage Message() const;
    };

    // Starts the stand-in and waits until it holds its mutex (and has its pipe, unless
    // that comes late). recordFolder must not exist yet.
    LoggingService(const std::wstring& recordFolder, const Options& options);
    LoggingService(const std::wstring& recordFolder) : LoggingService(recordFolder, Options{}) {}
    // Stops it if Finish did not.
    ~LoggingService();
    LoggingService(const LoggingService&) = delete;
    LoggingService& operator=(const LoggingService&) = delete;

    // Starts the delays of a stand-in made with fromGo.
    void Go();
    // Stops the stand-in, which first reads a client that has already connected, and
    // returns the notices it received, in order. The stand-in must have ended well.
    std::vector<Notice> Finish();
    // Its log (see the stand-in); complete after Finish.
    std::string Log() const;
    // The tick count (GetTickCount64) the log gives for an event ("pipe", "message 1",
    // "mutex-dropped"), taken by the stand-in just before the event; -1 when the log
    // lacks it. Read it after Finish.
    long long LoggedAt(const std::string& event) const;

private:
    std::wstring record_;
    std::string stopName_;
    Marlin::KernelHandle stop_;
    Marlin::KernelHandle go_;
    Marlin::KernelHandle process_;
    bool finished_ = false;
};

// Checks that a notice reports a job run now: its sources, destination and operation, a
// start time between before and after (seconds since 1970, as _time64 gives them), and
// that it came after the copy: its destination then already held what it holds now.
void CheckJobNotice(const LoggingService::Notice& notice, const std::vector<std::wstring>& sources,
                    const std::wstring& destination, int32_t operation, int64_t before, int64_t after);

}  // namespace quaytest
