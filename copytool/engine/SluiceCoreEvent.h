// The event channel of one run: the algorithm's threads publish progress and errors and ask
// questions through it, and every notification is delivered synchronously to the
// observers, one at a time.
//
// Delivery: the notifying thread takes the lock (a semaphore of count 1, so any engine
// thread may release what it took), fills the status and code, calls the observers and
// releases the lock. With SluiceCoreEventHandler the observer is SendMessageW to the
// dialog, so the notifying thread waits until the UI thread has handled the message, and
// a question's answer is in answer and applyToAll when the observers return. The lock is
// not recursive: an observer must never call the event back, and the UI thread must never
// wait for an engine thread while it handles a notification.
//
// Lifetime: SluiceCore::Run makes the event on the engine thread's stack and destroys it
// after 1001. Observers get its address only for the duration of a delivery; keeping it
// (posting it to a queue, say) leaves a dangling pointer once the run ends.
//
// Progress (2101, 3000, 3001) is thinned out to one delivery per 500 ms per kind while
// the cursor concerned still walks. The check happens before the lock is taken, so a
// thread keeps working while another thread's question waits for the user, and blocks
// only at its next progress delivery.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "UniqueHandle.h"
#include "Observable.h"
#include "SluiceCoreDisplayStatus.h"

namespace Marlin {
class Exception;
}

namespace Marlin::Sluice {

class SluiceExceptionEncrypted;
class SluiceExceptionOverwrite;
class SluiceExceptionRetryFile;
class SluiceStatus;
class SluiceStatusItemInfo;

class SluiceCoreEvent : public DesignPatterns::Observable {
public:
    // Notification codes.
    enum Code : int32_t {
        Started = 1000,
        Ended = 1001,
        CopyStarted = 2000,
        Finished = 2001,
        Error = 2002,
        Question = 2003,
        Enumerated = 2100,
        Progress = 2101,
        ReadProgress = 3000,
        WriteProgress = 3001,
    };
    // Answer values observers write to answer.
    enum Answer : int32_t {
        NoAnswer = 0,  // the algorithm treats it as cancel
        Retry = 1,
        Skip = 2,
        Cancel = 3,
        WithoutEncryption = 4,
        Overwrite = 5,  // or merge folders
        Elevate = 6,    // continue with administrator rights
    };
    static constexpr uint32_t ProgressIntervalMs = 500;

    // Milliseconds of a free-running 32-bit counter; GetTickCount unless a test steers time.
    using TickSource = std::function<uint32_t()>;

    // Throws WindowsException when the lock cannot be made.
    explicit SluiceCoreEvent(TickSource ticks = TickSource());
    ~SluiceCoreEvent() override;
    SluiceCoreEvent(const SluiceCoreEvent&) = delete;
    SluiceCoreEvent& operator=(const SluiceCoreEvent&) = delete;

    virtual void NotifyStarted();
    virtual void NotifyEnded();
    virtual void NotifyCopyStarted();
    virtual void NotifyFinished(uint64_t totalMs, uint64_t copyMs);
    // The exception (null for a failure outside the family) is lent to the status for the
    // delivery only; observers must copy what they want to keep.
    virtual void NotifyError(const Marlin::Exception* exception);
    // A question without memory; the answer is left in answer and applyToAll.
    virtual void NotifyQuestion(const Marlin::Exception* exception);
    // Sets the totals and publishes the cancel event. The event keeps a handle of its own
    // to it, so the published handle stays valid until the event is destroyed even though
    // the algorithm closes its handle before it reports the end.
    virtual void NotifyEnumerated(const SluiceStatus& status, HANDLE cancel);
    virtual void NotifyProgress(const SluiceStatus& status, uint64_t totalMs, uint64_t copyMs, uint64_t readBytes,
                                uint64_t writtenBytes);
    // readBytes, writtenBytes: what the reader or writer has done of its current item.
    virtual void NotifyReadProgress(const SluiceStatus& status, uint64_t totalMs, uint64_t copyMs, uint64_t readBytes);
    virtual void NotifyWriteProgress(const SluiceStatus& status, uint64_t totalMs, uint64_t copyMs,
                                     uint64_t writtenBytes);
    // Questions with memory: an answer given with apply-to-all (other than no answer and
    // retry) is returned for later questions of the same kind without asking.
    // Retry questions are remembered by the platform error code.
    virtual void AskRetryFile(const SluiceExceptionRetryFile& exception, int32_t& answer);
    // By whether the source is a folder.
    virtual void AskEncrypted(const SluiceExceptionEncrypted& exception, int32_t& answer);
    // By whether the source and the existing destination are folders.
    virtual void AskOverwrite(const SluiceExceptionOverwrite& exception, int32_t& answer);
    // Delivers a notification that another process's engine made (the elevated copy):
    // its status replaces this event's, its exception lent as with NotifyError. An answer
    // other than no answer and retry comes back with the observer's apply-to-all value;
    // otherwise apply-to-all is 0.
    virtual void Relay(int32_t code, const SluiceCoreDisplayStatus& received, int32_t& answer, int32_t& applyToAll);
    virtual void NotifyCode(int32_t code);

    // Read by observers during a delivery, answer and applyToAll written by them during a
    // question. Outside a delivery nobody may touch them but the notifying thread.
    HANDLE cancelEvent = nullptr;  // null until 2100
    int32_t code = 0;
    SluiceCoreDisplayStatus status;
    int32_t answer = 0;
    int32_t applyToAll = 0;

private:
    // Runs body holding the lock, and releases it however body ends.
    template <class Body>
    void Locked(Body&& body);
    // Sets code and notifies with the exception lent to the status; takes it back even when
    // an observer throws.
    void DeliverLending(int32_t deliveredCode, const Marlin::Exception* exception);
    // A question under the lock: answer reset, delivered as 2003, answer taken, reset again.
    int32_t AskLocked(const Marlin::Exception& exception, int32_t& applyToAllOut);
    // Shared by the encryption and overwrite questions, whose memory is one slot.
    void AskWithMemory(const Marlin::Exception& exception, std::atomic<int32_t>& memory, int32_t& answerOut);
    bool Thinned(const std::atomic<uint32_t>& lastTick, const SluiceStatusItemInfo& cursor) const;
    void SetReadSide(const SluiceStatus& status, uint64_t readBytes);
    void SetWriteSide(const SluiceStatus& status, uint64_t writtenBytes);
    static bool IsRemembered(int32_t answerGiven, int32_t applyToAllGiven);

    Marlin::KernelHandle lock_;
    std::map<uint32_t, int32_t> retryAnswers_;  // by platform error code; under the lock
    // Read before the lock is taken, so atomic.
    std::atomic<int32_t> encryptedFileAnswer_{0};
    std::atomic<int32_t> encryptedFolderAnswer_{0};
    std::atomic<int32_t> fileOverFileAnswer_{0};
    std::atomic<int32_t> fileOverFolderAnswer_{0};
    std::atomic<int32_t> folderOverFolderAnswer_{0};
    std::atomic<int32_t> folderOverFileAnswer_{0};
    // Ticks of the last delivered 2101, 3000 and 3001; read before the lock is taken.
    std::atomic<uint32_t> progressTick_{0};
    std::atomic<uint32_t> readProgressTick_{0};
    std::atomic<uint32_t> writeProgressTick_{0};
    TickSource ticks_;
    std::vector<Marlin::KernelHandle> cancelEventCopies_;  // what cancelEvent has published
};

}  // namespace Marlin::Sluice
