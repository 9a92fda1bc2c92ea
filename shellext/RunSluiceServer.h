// The shell extension's side of the hand-off: creates the pipe of this Explorer thread,
// starts the copy tool with "/FCP <pipe name>", and answers its requests until the copy
// tool closes the pipe or ends. The Explorer thread is blocked meanwhile, so every wait
// also watches the started process: a copy tool that dies, before connecting or in the
// middle, ends the hand-off instead of leaving the Explorer hanging.
//
// The pipe answers only the process it started. Any other process that opens it first
// (the name is easy to guess) is dropped unanswered and the pipe is made afresh for the
// copy tool, which would otherwise be handed nothing, or another program's job.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PipeCommandServer.h"
#include "UniqueHandle.h"

namespace Marlin {

class RunSluiceServer : public PipeCommandServer {
public:
    // The launch record is the platform's own: 112 bytes in a 64-bit build, 60 in a
    // 32-bit one. A fixed 60 would make every start of the 64-bit build fail.
    static constexpr DWORD kLaunchRecordSize = sizeof(SHELLEXECUTEINFOW);

    // The pipe name of the calling thread; nothing is created yet.
    RunSluiceServer();
    ~RunSluiceServer() override;

    // The job, borrowed from the drop handler, which outlives the hand-off: the copy
    // tool's full path, the dropped paths, the folder dropped on, and 0 copy / 1 move.
    void SetJob(const std::wstring* copyTool, const std::vector<std::wstring>* sources, const std::wstring* target,
                const int32_t* moveFlag);

    // The whole hand-off; returns when it is over. 0 when the job is incomplete (nothing
    // done), else 1, also when the pipe or the copy tool could not be made or started.
    int HandOff();

    // The I/O event, the stop event and the started copy tool: 1 only for the I/O event.
    int WaitIo(HANDLE event) override;
    // Answers one request with one reply.
    void OnCommand(const std::vector<uint8_t>& message) override;

private:
    // Starts the copy tool; true only with a process handle to watch.
    bool Launch();
    // Waits until the started copy tool is connected; false when it ended first or the
    // pipe failed.
    bool ConnectCopyTool();

    const std::wstring* copyTool_ = nullptr;
    const std::vector<std::wstring>* sources_ = nullptr;
    const std::wstring* target_ = nullptr;
    const int32_t* moveFlag_ = nullptr;
    SHELLEXECUTEINFOW launch_{};
    KernelHandle process_;  // taken over from the launch record
};

}  // namespace Marlin
