// The normal instance's side of the elevated copy: when the user has chosen to go on with
// administrator rights, the algorithm runs this server on its engine thread. It prepares
// the status for the hand-over, creates the pipe named after this process, starts the
// elevated instance and serves it (the option, the status, its events relayed to the
// progress dialog with the user's answers, and the cancel) until that process ends.
//
// Only the launched process is served. The pipe's name is predictable, so it must be the
// first instance of that name (a name another program already holds means no launch),
// and the client that connects must be the process that was launched; any other client
// is turned away and the copy ends as if the elevated instance had ended.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PipeCommandServer.h"
#include "SluiceElevateCommandHandler.h"
#include "UniqueHandle.h"

namespace Marlin {
class ElevatedInstanceLauncher;
class Stopwatch;
}  // namespace Marlin

namespace Marlin::Sluice {

class SluiceCoreEvent;
class SluiceOption;
class SluiceStatus;

class SluiceCopyAlgorithmMultiThreadElevate : public Marlin::PipeCommandServer,
                                              private Marlin::SluiceElevateCommandHandler {
public:
    // "\\.\pipe\{5D7F5ACF-B8AC-475e-85B8-E46A6EFE4E26}-" and a process id in decimal.
    static std::wstring PipeNameFor(DWORD processId);
    // The process id a pipe name of that form carries; false for any other name.
    static bool ProcessIdOf(const std::wstring& pipeName, DWORD& processId);

    // Everything is borrowed from the running algorithm and must outlive the server;
    // cancelEvent may be null. launcher null: the system's.
    SluiceCopyAlgorithmMultiThreadElevate(const SluiceOption& option, SluiceCoreEvent& event, HANDLE cancelEvent,
                                          SluiceStatus& status, const Marlin::Stopwatch& totalStopwatch,
                                          const Marlin::Stopwatch& copyStopwatch,
                                          Marlin::ElevatedInstanceLauncher* launcher = nullptr);
    ~SluiceCopyAlgorithmMultiThreadElevate() override;

    // The items not yet written are to be read again; both cursors continue from the
    // write cursor (begun at destination if the writer never began its walk); the cancel
    // event that the stop set is reset.
    static void PrepareHandOver(SluiceStatus& status, const std::wstring& destination, HANDLE cancelEvent);

    // The whole phase: prepare, create, launch, connect, serve, close. Returns when the
    // elevated instance has ended (or could not be started or served).
    void HandOver();

    // Also ends the wait when the elevated process ends; takes the cancel event's signal
    // as the user's cancel, to be passed on with the next cancel query.
    int WaitIo(HANDLE event) override;
    void OnCommand(const std::vector<uint8_t>& message) override;

    // Also looks at the cancel event itself: a request that was already waiting in the pipe
    // is read without a wait, and the cancel must not wait for a wait to be seen.
    int32_t CancelSeen() override;
    DWORD LaunchedProcessId() const { return launchedProcessId_; }

private:
    void PutOption(Marlin::CDataConverter& out) override;
    void PutStatus(Marlin::CDataConverter& out) override;
    void Relay(int32_t code, SluiceCoreDisplayStatus& received, int32_t& answer, int32_t& applyToAll) override;
    bool Launch();
    void EndLaunch();

    const SluiceOption& option_;
    SluiceCoreEvent& event_;
    HANDLE cancelEvent_;
    SluiceStatus& status_;
    const Marlin::Stopwatch& totalStopwatch_;
    const Marlin::Stopwatch& copyStopwatch_;
    Marlin::ElevatedInstanceLauncher* launcher_;
    int32_t cancelSeen_ = 0;
    SHELLEXECUTEINFOW launch_{};
    Marlin::KernelHandle process_;  // owns launch_.hProcess
    DWORD launchedProcessId_ = 0;
};

}  // namespace Marlin::Sluice
