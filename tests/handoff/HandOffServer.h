// A hand-off server of the tests, standing where the shell extension stands: it creates
// the hand-off pipe, starts the real copy tool with "/FCP" and the pipe's name, and
// answers its requests until the copy tool closes the pipe or ends. Its replies follow a
// script, which may spoil any of them.
//
// While the pipe is open it also watches the destination folder: anything that appears
// or changes there before the copy tool has closed the pipe is noted, since the copy tool
// must let the shell extension go before it copies a byte.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "PipeCommandServer.h"
#include "UniqueHandle.h"

namespace handofftest {

class HandOffServer : public Marlin::PipeCommandServer {
public:
    struct Script {
        uint32_t version[4] = {1, 0, 0, 1};
        std::vector<std::wstring> sources;
        std::wstring destination;
        int32_t operation = 0;
        // Changes the reply to a command before it goes out, when set.
        std::function<void(int32_t command, std::vector<uint8_t>& reply)> spoil;
    };
    struct Conversation {
        std::vector<int32_t> commands;       // the requests, in order (-1 for one shorter than 4 bytes)
        bool closedByClient = false;         // the copy tool closed the pipe while still running
        bool changedWhileOpen = false;       // the destination changed while the pipe was open
    };

    explicit HandOffServer(Script script);
    ~HandOffServer() override;

    // The pipe name of the shell extension's form, for this process and thread.
    static std::wstring PipeNameForThisThread();

    // Creates the pipe, starts the program with startProgram (given the parameters
    // "/FCP <pipe name>"), and serves it. watchFolder is the destination to watch.
    // Returns when the conversation is over; the program may run on (process).
    Conversation HandOff(const std::function<Marlin::KernelHandle(const std::wstring& parameters)>& startProgram,
                         const std::wstring& watchFolder, Marlin::KernelHandle& process);

    // Whether the watch on the destination has seen a change since the conversation
    // ended: shows that the watch works, so a quiet watch during the conversation means
    // something.
    bool DestinationChangedSince() const;

    void OnCommand(const std::vector<uint8_t>& message) override;
    int WaitIo(HANDLE event) override;

private:
    bool ClientStillConnected() const;

    Script script_;
    Conversation conversation_;
    HANDLE process_ = nullptr;                 // the copy tool, while serving
    Marlin::ChangeNotificationHandle watch_;
};

}  // namespace handofftest
