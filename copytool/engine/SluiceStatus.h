// The progress record of one algorithm run: the job's item trees with their totals and the
// two cursors that the reader thread and the writer thread drive over them.
//
// The read cursor marks the folders and files it leaves ReadPassed (and every move marker
// it passes, which needs no reading); the write cursor marks the folders and files it
// leaves OverwriteApproved. The writer waits on those reader bits, so the write cursor
// never overtakes the read cursor.
#pragma once

#include <cstdint>
#include <string>

#include "CopyItemFlags.h"
#include "CopyItemsData.h"
#include "SluiceStatusItemInfo.h"

namespace Marlin::Sluice {

class SluiceStatus {
public:
    SluiceStatus() = default;
    // The cursors point into this status's own trees; a copy would point into the original's.
    SluiceStatus(const SluiceStatus&) = delete;
    SluiceStatus& operator=(const SluiceStatus&) = delete;
    virtual ~SluiceStatus();

    // Back to empty, as at the start and the end of a run.
    void Reset();

    // Read cursor (reader thread only).
    void BeginRead(const std::wstring& destinationFolder);
    // Moves the read cursor on to the next item the reader must handle: in the folders pass
    // a folder, in the remaining pass anything but a folder, in a single pass anything; the
    // head is never read, and move markers are marked ReadPassed on the way.
    void SkipToReadable();
    void AdvanceRead();

    // Write cursor (writer thread only).
    void BeginWrite(const std::wstring& destinationFolder);
    // Whether the writer has nothing to do at its item in this pass.
    bool IsWriteSkippable() const;
    // Steps the write cursor while IsWriteSkippable (a cursor received from another process
    // resumes with this instead of BeginWrite).
    void SkipToWritable();
    void AdvanceWrite();

    // Adds bits to one item, atomically, or to it and everything below it. Safe against the
    // other copy thread adding bits to the same items at the same time.
    static void MarkItemFlags(const CopyItemTree::iterator_base& item, CopyItemFlags bits, bool wholeSubtree);

    int32_t foldersFirst = 0;         // 1: each tree is walked for its folders first
    int32_t encryptionSupported = 0;  // 1: the destination volume keeps encryption
    CopyItemsData items;
    SluiceStatusItemInfo readCursor;
    SluiceStatusItemInfo writeCursor;
};

}  // namespace Marlin::Sluice
