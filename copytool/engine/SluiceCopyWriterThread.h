// The writer thread of a copy run: walks the write cursor behind the read cursor, creates
// folders, writes the queued data of files and streams into their destinations and, for a
// move, deletes each source once everything that depends on it has been written.
//
// The writer never overtakes the reader: an item whose reader-side bit is not set yet
// makes it wait. Destinations that appear after the reader's check become the overwrite
// question; other platform errors the retry question. Anything else stops the thread,
// which then deletes the destination file it had not finished.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "SeenSourceFile.h"
#include "SluiceCopyThread.h"

namespace Marlin::Sluice {

class CopyItemWriter;

class SluiceCopyWriterThread : public SluiceCopyThread {
public:
    SluiceCopyWriterThread(SluiceCopyThreadContext& context, CopyItemWriter& writer);
    ~SluiceCopyWriterThread() override;

private:
    void Begin() override;
    void Step(bool& mustWait) override;
    void Advance() override;
    void DropOpenItem(FileBufferQueueData::ItemKey item) override;
    void NotifyProgress() const override;
    void OnFailure(const Marlin::WindowsFileException& failure) override;
    // A half-written destination must not stay behind looking like a copy.
    void CleanUpOnStop() override;

    void WriteItem(bool& mustWait);
    // True when the approved replacement of the cursor's file must not happen after all
    // (the destination is the source itself, or a file this job wrote); the item is then
    // given up as an error.
    bool RefusesReplacement();
    void CreateFolder();
    void DeleteSourceFile();
    void RemoveSourceFolder();
    // Runs attempt once and, while it fails, the option's retryCount more times
    // retryIntervalMs apart (a virus scanner or an indexer lets go of a file within about a
    // second); ERROR_SUCCESS, or the error of the last attempt.
    DWORD Persist(const std::function<BOOL()>& attempt) const;
    // 1 when the overwrite question was asked and answered.
    int32_t AskOverwriteOnCreate();
    void WakeReaderWhenFreed() const;

    CopyItemWriter& writer_;
    // The last moved file written, as its reader saw it; its DeleteFile marker comes next.
    SeenSourceFile movedSource_;
};

}  // namespace Marlin::Sluice
