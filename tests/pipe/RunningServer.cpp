#include "RunningServer.h"

#include <cstdio>

#include "TestHarness.h"

namespace pipetest {

RunningServer::RunningServer(Marlin::PipeCommandServer& server)
    : server_(server), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        result_ = server_.Run();
        SetEvent(done_.get());
    });
}

RunningServer::~RunningServer() {
    server_.RequestStop();
    if (!WaitDone(15000)) {
        // The thread still uses the server that the test is about to destroy: report
        // and end here rather than hang until the test's time-out.
        quaytest::ReportFailure(__FILE__, __LINE__, "Run did not return after a stop request");
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    thread_.join();
}

bool RunningServer::WaitDone(DWORD milliseconds) const {
    return WaitForSingleObject(done_.get(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace pipetest
