// The reader thread of a copy run: walks the read cursor over the item trees, checks each
// folder and file against the destination before anything of it is read, and queues the
// data of files and streams into the buffer pool for the writer thread.
//
// Questions (destination exists, encryption would be lost, a platform error) are asked
// from this thread and their answers become item flags; the step that raised the question
// then runs again. Everything else that goes wrong stops the thread: it reports the
// exception, puts its cursor into state 3 and ends.
#pragma once

#include <cstdint>

namespace Marlin {
class Exception;
}

namespace Marlin::Sluice {

class CopyItemReader;
class SluiceCopyThreadContext;

class SluiceCopyReaderThread {
public:
    SluiceCopyReaderThread(SluiceCopyThreadContext& context, CopyItemReader& reader);
    virtual ~SluiceCopyReaderThread();
    SluiceCopyReaderThread(const SluiceCopyReaderThread&) = delete;
    SluiceCopyReaderThread& operator=(const SluiceCopyReaderThread&) = delete;

    // The thread body. Never throws; clears the published reader thread handle last.
    void Run() noexcept;

private:
    void Loop();
    void ReadStep(bool& mustWait);
    // False when the item was given up (its destination is the source itself).
    bool CheckOverwrite();
    void CheckFolderEncryption();
    void ReadItem(bool& mustWait);
    // Passes over items the user skipped; false once the cursor has stopped walking.
    bool SkipMarked();
    void ReaderWait();
    void ApplyReaderAnswer(int32_t answer);
    void WakeWriterWhenFilled() const;
    void NotifyProgress() const;

    SluiceCopyThreadContext& context_;
    CopyItemReader& reader_;
    bool writerEndedBefore_ = false;
};

}  // namespace Marlin::Sluice
