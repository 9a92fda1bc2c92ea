// What the reader thread and the writer thread of a copy run have in common: the loop that
// walks one cursor over the item trees, passes over items the user skipped (dropping their
// queued data), asks the questions a step raises and turns the answers into item flags,
// reports progress, and waits for the other thread when it cannot go on.
//
// A derived thread says what one step does with the item at its cursor, how its cursor
// starts and moves, what it gives up when an item is skipped or the thread stops, and
// which answers only it can act on.
#pragma once

#include <atomic>
#include <cstdint>

#include <windows.h>

#include "CopyItemsData.h"
#include "FileBufferQueueData.h"

namespace Marlin {
class WindowsFileException;
}

namespace Marlin::Sluice {

class SluiceCopyThreadContext;
class SluiceExceptionOverwrite;
class SluiceStatusItemInfo;

class SluiceCopyThread {
public:
    // The thread's own side (cursor, published handle, wake event) and the other thread's;
    // failureType is the exception type of a wait that went wrong.
    struct Sides {
        SluiceStatusItemInfo& cursor;
        std::atomic<HANDLE>& publishedThread;
        HANDLE wakeEvent;
        const SluiceStatusItemInfo& peerCursor;
        const std::atomic<HANDLE>& peerThread;
        HANDLE peerWakeEvent;
        int32_t failureType;
    };

    SluiceCopyThread(SluiceCopyThreadContext& context, const Sides& sides);
    virtual ~SluiceCopyThread();
    SluiceCopyThread(const SluiceCopyThread&) = delete;
    SluiceCopyThread& operator=(const SluiceCopyThread&) = delete;

    // The thread body: the loop, unless the run was abandoned. A failure that escapes it
    // runs CleanUpOnStop, is reported as an error notification and stops the cursor; an
    // elevation request is kept for the engine thread. Never throws; clears the published
    // thread handle last.
    void Run() noexcept;

protected:
    // Puts the cursor on its first item (or where a received status left it).
    virtual void Begin() = 0;
    // One step on the cursor's item; mustWait when the other thread has to act first.
    virtual void Step(bool& mustWait) = 0;
    // Moves the cursor past its item.
    virtual void Advance() = 0;
    // The item at the cursor was skipped: gives up what this thread holds open of it.
    virtual void DropOpenItem(FileBufferQueueData::ItemKey item) = 0;
    virtual void NotifyProgress() const = 0;
    // A platform error of one step; the default asks the retry question.
    virtual void OnFailure(const Marlin::WindowsFileException& failure);
    // After a skip was marked on the cursor's item.
    virtual void Skipped() {}
    // Answers only this thread can act on; false lets the answer end the job.
    virtual bool ApplyOwnAnswer(int32_t answer);
    // Before a stopping thread reports why.
    virtual void CleanUpOnStop() {}

    // Ask through the event channel and apply the answer to the cursor's item.
    void AskOverwrite(const SluiceExceptionOverwrite& question);
    void AskRetry(const Marlin::WindowsFileException& failure);
    void ApplyAnswer(int32_t answer);

    SluiceCopyThreadContext& context_;
    SluiceStatusItemInfo& cursor_;

private:
    void Loop();
    // Passes over items the user skipped; false once the cursor has stopped walking.
    bool SkipMarked();
    void Wait();

    Sides sides_;
    bool peerEndedBefore_ = false;
};

}  // namespace Marlin::Sluice
