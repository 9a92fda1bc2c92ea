#include "SluiceCopyAlgorithmMultiThreadElevate.h"

#include <cwchar>

#include "CopyItemFlags.h"
#include "Exception.h"
#include "ElevatedInstanceLauncher.h"
#include "SluiceCoreEvent.h"
#include "SluiceOption.h"
#include "SluiceOptionRecord.h"
#include "SluiceStatus.h"
#include "SluiceStatusRecord.h"
#include "Stopwatch.h"

namespace Marlin::Sluice {

namespace {

constexpr wchar_t kPipePrefix[] = L"\\\\.\\pipe\\{5D7F5ACF-B8AC-475e-85B8-E46A6EFE4E26}-";

uint64_t Milliseconds(const Marlin::Stopwatch& stopwatch) {
    try {
        const int64_t us = stopwatch.ElapsedMicroseconds();
        return us > 0 ? static_cast<uint64_t>(us / 1000) : 0;
    } catch (const Marlin::Exception&) {
        return 0;  // without a counter the times read 0; the event is shown all the same
    }
}

}  // namespace

std::wstring SluiceCopyAlgorithmMultiThreadElevate::PipeNameFor(DWORD processId) {
    return kPipePrefix + std::to_wstring(processId);
}

bool SluiceCopyAlgorithmMultiThreadElevate::ProcessIdOf(const std::wstring& pipeName, DWORD& processId) {
    const std::wstring prefix(kPipePrefix);
    if (pipeName.size() <= prefix.size() || _wcsnicmp(pipeName.c_str(), prefix.c_str(), prefix.size()) != 0)
        return false;
    uint64_t id = 0;
    for (size_t i = prefix.size(); i < pipeName.size(); ++i) {
        const wchar_t c = pipeName[i];
        if (c < L'0' || c > L'9') return false;
        id = id * 10 + static_cast<uint64_t>(c - L'0');
        if (id > 0xFFFFFFFFu) return false;
    }
    processId = static_cast<DWORD>(id);
    return true;
}

SluiceCopyAlgorithmMultiThreadElevate::SluiceCopyAlgorithmMultiThreadElevate(
    const SluiceOption& option, SluiceCoreEvent& event, HANDLE cancelEvent, SluiceStatus& status,
    const Marlin::Stopwatch& totalStopwatch, const Marlin::Stopwatch& copyStopwatch,
    Marlin::ElevatedInstanceLauncher* launcher)
    : PipeCommandServer(PipeNameFor(::GetCurrentProcessId()), 1024),
      option_(option),
      event_(event),
      cancelEvent_(cancelEvent),
      status_(status),
      totalStopwatch_(totalStopwatch),
      copyStopwatch_(copyStopwatch),
      launcher_(launcher) {
    SetFirstInstanceOnly(true);
}

SluiceCopyAlgorithmMultiThreadElevate::~SluiceCopyAlgorithmMultiThreadElevate() { EndLaunch(); }

void SluiceCopyAlgorithmMultiThreadElevate::PrepareHandOver(SluiceStatus& status, const std::wstring& destination,
                                                            HANDLE cancelEvent) {
    for (size_t t = 0; t < status.items.TreeCount(); ++t) {
        CopyItemTree& tree = status.items.Tree(t);
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (it->HasFlags(CopyItemFlags::OverwriteApproved)) continue;
            // Flags only ever gain bits while threads run; here none runs, so a plain store.
            const int32_t cleared = it->Flags() & ~static_cast<int32_t>(CopyItemFlags::ReadOpened) &
                                    ~static_cast<int32_t>(CopyItemFlags::ReadPassed);
            it->flags.store(cleared);
        }
    }
    // A writer stopped before its first item leaves a cursor that holds none; the elevated
    // writer could never step such a cursor, so it starts where a new walk would.
    if (status.writeCursor.State() == SluiceStatusItemInfo::NotStarted || !status.writeCursor.Node().node())
        status.BeginWrite(destination);
    // A cursor that has passed everything stays done: there is nothing left to hand over.
    if (status.writeCursor.State() != SluiceStatusItemInfo::Done) status.writeCursor.SetState(SluiceStatusItemInfo::Walking);
    status.readCursor = status.writeCursor;
    if (cancelEvent) ::ResetEvent(cancelEvent);
}

void SluiceCopyAlgorithmMultiThreadElevate::HandOver() {
    PrepareHandOver(status_, option_.destination, cancelEvent_);
    if (!Create()) return;
    if (!Launch()) {
        Close();
        return;
    }
    if (Connect() == 1) {
        ULONG client = 0;
        // Only the process launched here may take the job.
        if (::GetNamedPipeClientProcessId(Handle(), &client) && client == launchedProcessId_) {
            std::vector<uint8_t> message;
            while (Read(message)) OnCommand(message);
        }
    }
    EndLaunch();
    Close();
}

bool SluiceCopyAlgorithmMultiThreadElevate::Launch() {
    Marlin::ElevatedInstanceLauncher system;
    Marlin::ElevatedInstanceLauncher& launcher = launcher_ ? *launcher_ : system;
    if (!launcher.Launch(PipeName(), launch_)) {
        launch_ = SHELLEXECUTEINFOW{};
        return false;
    }
    process_.reset(launch_.hProcess);
    launchedProcessId_ = process_ ? ::GetProcessId(process_.get()) : 0;
    // Without a process to watch and to match the client against, nobody can be served.
    return launchedProcessId_ != 0;
}

void SluiceCopyAlgorithmMultiThreadElevate::EndLaunch() {
    process_.reset();
    launch_ = SHELLEXECUTEINFOW{};
}

int SluiceCopyAlgorithmMultiThreadElevate::WaitIo(HANDLE event) {
    for (;;) {
        HANDLE handles[4] = {event, StopEvent(), process_.get(), nullptr};
        DWORD count = process_ ? 3 : 2;
        const bool watchCancel = cancelSeen_ == 0 && cancelEvent_ != nullptr;
        if (watchCancel) handles[count++] = cancelEvent_;
        const DWORD r = ::WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0) return 1;
        if (watchCancel && r == WAIT_OBJECT_0 + count - 1) {
            cancelSeen_ = 1;
            continue;
        }
        return 0;
    }
}

int32_t SluiceCopyAlgorithmMultiThreadElevate::CancelSeen() {
    if (cancelSeen_ == 0 && cancelEvent_ && ::WaitForSingleObject(cancelEvent_, 0) == WAIT_OBJECT_0) cancelSeen_ = 1;
    return cancelSeen_;
}

void SluiceCopyAlgorithmMultiThreadElevate::OnCommand(const std::vector<uint8_t>& message) {
    const std::vector<uint8_t> reply = Answer(message.data(), message.size());
    Write(reply.data(), static_cast<uint32_t>(reply.size()));
}

void SluiceCopyAlgorithmMultiThreadElevate::PutOption(Marlin::CDataConverter& out) {
    Marlin::SluiceOptionRecord::Put(out, option_);
}

void SluiceCopyAlgorithmMultiThreadElevate::PutStatus(Marlin::CDataConverter& out) {
    Marlin::SluiceStatusRecord::Put(out, status_);
}

void SluiceCopyAlgorithmMultiThreadElevate::Relay(int32_t code, SluiceCoreDisplayStatus& received, int32_t& answer,
                                                  int32_t& applyToAll) {
    // The dialog's times are this instance's: the elevated one started its clocks late.
    received.totalElapsedMs = Milliseconds(totalStopwatch_);
    received.copyElapsedMs = Milliseconds(copyStopwatch_);
    event_.Relay(code, received, answer, applyToAll);
}

}  // namespace Marlin::Sluice
