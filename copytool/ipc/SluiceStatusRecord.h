// The job's status as the elevation pipe carries it at the hand-over (the reply to the
// status request): foldersFirst, encryptionSupported, the item trees with their nine
// counters, and the two cursors, each cursor as a tree index and a pre-order node index.
//
// A tree travels flattened in pre-order, each node with its own index and its parent's
// (-1 for the head); the reader rebuilds it node by node. Every count is checked against
// the bytes that are left before anything is built, so a hostile message costs at most
// its own size; a parent index that names no node read so far, a tree index past the
// list, an item kind, cursor state or phase this engine does not know, or a walking cursor
// that holds no item (its thread could never step it on) make the record malformed. Platform-free, so it is tested and fuzzed natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "CDataConverter.h"
#include "CDataParser.h"
#include "CopyItemsData.h"
#include "SluiceStatus.h"
#include "SluiceStatusItemInfo.h"

namespace Marlin {

class SluiceStatusRecord {
public:
    // A cursor's positions and counts, as the engine's cursor keeps them.
    struct Cursor {
        size_t tree = Sluice::SluiceStatusItemInfo::NoTree;
        Sluice::CopyItemTree::iterator node;  // empty: no node
        int32_t state = Sluice::SluiceStatusItemInfo::NotStarted;
        int32_t phase = Sluice::SluiceStatusItemInfo::NoPhase;
        uint64_t itemsDone = 0;
        uint64_t bytesDone = 0;
        uint64_t weightedBytesDone = 0;
        std::wstring destinationFolder;
        std::wstring rootDestinationPath;

        static Cursor Of(const Sluice::SluiceStatusItemInfo& c) {
            return Cursor{c.TreeIndex(), c.Node(),       c.State(),
                          c.Phase(),     c.ItemsDone(),  c.BytesDone(),
                          c.WeightedBytesDone(), c.DestinationFolder(), c.RootDestinationPath()};
        }
        void RestoreInto(Sluice::SluiceStatusItemInfo& c) const {
            c.Restore(tree, node, state, phase, itemsDone, bytesDone, weightedBytesDone, destinationFolder,
                      rootDestinationPath);
        }
    };

    static void Put(CDataConverter& out, int32_t foldersFirst, int32_t encryptionSupported,
                    const Sluice::CopyItemsData& items, const Cursor& readCursor, const Cursor& writeCursor);
    static void Put(CDataConverter& out, const Sluice::SluiceStatus& status) {
        Put(out, status.foldersFirst, status.encryptionSupported, status.items, Cursor::Of(status.readCursor),
            Cursor::Of(status.writeCursor));
    }
    // Pieces of the record, for the tests and the benchmark.
    static void PutItems(CDataConverter& out, const Sluice::CopyItemsData& items);
    static void PutTree(CDataConverter& out, const Sluice::CopyItemTree& tree);

    // Reads a whole record into this one (replaced only on success); the cursors point
    // into this record's own items, and stay valid when the items are moved on.
    int Get(CDataParser& in);
    // Hands the received status to the engine's: the items are moved, so the cursors'
    // nodes are the engine's from then on.
    void MoveInto(Sluice::SluiceStatus& status) {
        status.readCursor.Reset();
        status.writeCursor.Reset();
        status.foldersFirst = foldersFirst;
        status.encryptionSupported = encryptionSupported;
        status.items = std::move(items);
        readCursor.RestoreInto(status.readCursor);
        writeCursor.RestoreInto(status.writeCursor);
    }

    int32_t foldersFirst = 0;
    int32_t encryptionSupported = 0;
    Sluice::CopyItemsData items;
    Cursor readCursor;
    Cursor writeCursor;

private:
    static void PutCursor(CDataConverter& out, const Sluice::CopyItemsData& items, const Cursor& cursor);
    static int GetItems(CDataParser& in, Sluice::CopyItemsData& items);
    static int GetTree(CDataParser& in, Sluice::CopyItemTree& tree);
    static int GetCursor(CDataParser& in, Sluice::CopyItemsData& items, Cursor& cursor);
};

}  // namespace Marlin
