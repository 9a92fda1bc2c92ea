// The writer thread of a copy run: walks the write cursor behind the read cursor, creates
// folders, writes the queued data of files and streams into their destinations and, for a
// move, deletes each source once everything that depends on it has been written.
//
// The writer never overtakes the reader: an item whose reader-side bit is not set yet
// makes it wait. Destinations that appear after the reader's check become the overwrite
// question; other platform errors the retry question. Anything else stops the thread,
// which then deletes the destination file it had not finished.
#pragma once

#include <cstdint>

#include "SeenSourceFile.h"

namespace Marlin {
class Exception;
}

namespace Marlin::Sluice {

class CopyItemWriter;
class SluiceCopyThreadContext;

class SluiceCopyWriterThread {
public:
    SluiceCopyWriterThread(SluiceCopyThreadContext& context, CopyItemWriter& writer);
    virtual ~SluiceCopyWriterThread();
    SluiceCopyWriterThread(const SluiceCopyWriterThread&) = delete;
    SluiceCopyWriterThread& operator=(const SluiceCopyWriterThread&) = delete;

    // The thread body. Never throws; clears the published writer thread handle last.
    void Run() noexcept;

private:
    void Loop();
    void WriteStep(bool& mustWait);
    void WriteItem(bool& mustWait);
    // True when the approved replacement of the cursor's file must not happen after all
    // (the destination is the source itself, or a file this job wrote); the item is then
    // given up as an error.
    bool RefusesReplacement();
    void CreateFolder();
    void DeleteSourceFile();
    void RemoveSourceFolder();
    // Passes over items the user skipped; false once the cursor has stopped walking.
    bool SkipMarked();
    void WriterWait();
    // 1 when the overwrite question was asked and answered.
    int32_t AskOverwriteOnCreate();
    void ApplyWriterAnswer(int32_t answer);
    void WakeReaderWhenFreed() const;
    void NotifyProgress() const;

    SluiceCopyThreadContext& context_;
    CopyItemWriter& writer_;
    bool readerEndedBefore_ = false;
    // The last moved file written, as its reader saw it; its DeleteFile marker comes next.
    SeenSourceFile movedSource_;
};

}  // namespace Marlin::Sluice
