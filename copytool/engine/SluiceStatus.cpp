#include "SluiceStatus.h"

namespace Marlin::Sluice {

SluiceStatus::~SluiceStatus() = default;

void SluiceStatus::Reset() {
    // Cursors first: they must not outlive the nodes they point at.
    readCursor.Reset();
    writeCursor.Reset();
    items.Clear();
    foldersFirst = 0;
    encryptionSupported = 0;
}

void SluiceStatus::BeginRead(const std::wstring& destinationFolder) {
    readCursor.Begin(items, foldersFirst, destinationFolder);
    SkipToReadable();
}

void SluiceStatus::SkipToReadable() {
    // A cursor without an item (only a malformed restore makes one) cannot step.
    while (readCursor.IsWalking() && readCursor.Node().node()) {
        const CopyItemKind kind = readCursor.Kind();
        const int32_t phase = readCursor.Phase();
        const bool passOver = (phase == SluiceStatusItemInfo::FoldersPass && kind != CopyItemKind::Folder) ||
                              (phase == SluiceStatusItemInfo::RemainingPass && kind == CopyItemKind::Folder) ||
                              kind == CopyItemKind::Root;
        if (!passOver) {
            if (kind != CopyItemKind::DeleteFile && kind != CopyItemKind::RemoveFolder) return;
            // A marker needs no reading; the bit tells the writer it may carry it out.
            readCursor.Node()->AddFlags(CopyItemFlags::ReadPassed);
        }
        readCursor.Step(items, foldersFirst, CopyItemFlags::ReadPassed);
    }
}

void SluiceStatus::AdvanceRead() {
    readCursor.Step(items, foldersFirst, CopyItemFlags::ReadPassed);
    SkipToReadable();
}

void SluiceStatus::BeginWrite(const std::wstring& destinationFolder) {
    writeCursor.Begin(items, foldersFirst, destinationFolder);
    SkipToWritable();
}

bool SluiceStatus::IsWriteSkippable() const {
    if (!writeCursor.IsWalking() || !writeCursor.Node().node()) return false;
    const CopyItemKind kind = writeCursor.Kind();
    const int32_t phase = writeCursor.Phase();
    return (phase == SluiceStatusItemInfo::FoldersPass && kind != CopyItemKind::Folder) ||
           (phase == SluiceStatusItemInfo::RemainingPass && kind == CopyItemKind::Folder) || kind == CopyItemKind::Root;
}

void SluiceStatus::SkipToWritable() {
    while (IsWriteSkippable()) writeCursor.Step(items, foldersFirst, CopyItemFlags::OverwriteApproved);
}

void SluiceStatus::AdvanceWrite() {
    writeCursor.Step(items, foldersFirst, CopyItemFlags::OverwriteApproved);
    SkipToWritable();
}

void SluiceStatus::MarkItemFlags(const CopyItemTree::iterator_base& item, CopyItemFlags bits, bool wholeSubtree) {
    if (!item.node()) return;
    if (wholeSubtree)
        CopyItemsData::AddFlagsToSubtree(item, bits);
    else
        item->AddFlags(bits);
}

}  // namespace Marlin::Sluice
