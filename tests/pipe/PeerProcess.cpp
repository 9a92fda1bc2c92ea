#include "PeerProcess.h"

#include <thread>

#include "TestFiles.h"

namespace pipetest {

PeerProcess::PeerProcess(const std::string& child, const std::vector<std::string>& args)
    : process_(quaytest::StartChild(child, args)) {}

PeerProcess::~PeerProcess() {
    if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 97);
}

long PeerProcess::Wait(DWORD milliseconds) { return quaytest::WaitExit(process_, milliseconds); }

void PeerProcess::LimitLifetime(DWORD milliseconds) {
    std::thread([milliseconds] {
        Sleep(milliseconds);
        ExitProcess(96);
    }).detach();
}

}  // namespace pipetest
