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

#include "SluiceCopyThread.h"

namespace Marlin::Sluice {

class CopyItemReader;

class SluiceCopyReaderThread : public SluiceCopyThread {
public:
    SluiceCopyReaderThread(SluiceCopyThreadContext& context, CopyItemReader& reader);
    ~SluiceCopyReaderThread() override;

private:
    void Begin() override;
    void Step(bool& mustWait) override;
    void Advance() override;
    void DropOpenItem(FileBufferQueueData::ItemKey item) override;
    void NotifyProgress() const override;
    void Skipped() override;
    bool ApplyOwnAnswer(int32_t answer) override;

    // False when the item was given up (its destination is the source itself, or a file
    // this job wrote).
    bool CheckOverwrite();
    void CheckFolderEncryption();
    void ReadItem(bool& mustWait);
    void WakeWriterWhenFilled() const;

    CopyItemReader& reader_;
};

}  // namespace Marlin::Sluice
