// The elevated instance's reading of the status reply: the item trees rebuilt from
// untrusted indices and the cursors resolved against them. An accepted status is walked
// whole (every node, both cursors' nodes), so a cursor or parent left pointing at nothing
// shows under the sanitizers.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "SluiceElevateMessages.h"
#include "SluiceStatusRecord.h"

using Marlin::SluiceStatusRecord;

namespace {

void CheckCursor(SluiceStatusRecord& status, const SluiceStatusRecord::Cursor& cursor) {
    if (cursor.tree == Marlin::Sluice::SluiceStatusItemInfo::NoTree) {
        FUZZ_CHECK(cursor.node.node() == nullptr);
        FUZZ_CHECK(cursor.state != Marlin::Sluice::SluiceStatusItemInfo::Walking);
        return;
    }
    FUZZ_CHECK(cursor.tree < status.items.TreeCount());
    auto& tree = status.items.Tree(cursor.tree);
    // A walking cursor holds an item, or its copy thread could never step it on.
    if (cursor.state == Marlin::Sluice::SluiceStatusItemInfo::Walking)
        FUZZ_CHECK(cursor.node.node() != nullptr && cursor.node != tree.end());
    if (!cursor.node.node()) return;
    bool found = cursor.node == tree.end();
    for (auto it = tree.begin(); !found && it != tree.end(); ++it) found = it == cursor.node;
    FUZZ_CHECK(found);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SluiceStatusRecord status;
    status.foldersFirst = -7;
    if (!Marlin::SluiceElevateMessages::ReadStatusReply(data, size, status)) {
        FUZZ_CHECK(status.foldersFirst == -7 && status.items.TreeCount() == 0);
        return 0;
    }
    size_t nodes = 0;
    for (size_t t = 0; t < status.items.TreeCount(); ++t) {
        auto& tree = status.items.Tree(t);
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            FUZZ_CHECK((it.node()->parent == nullptr) == (it == tree.begin()));
            ++nodes;
        }
    }
    // Each node takes at least 40 bytes of the reply.
    FUZZ_CHECK(nodes * 40 <= size);
    CheckCursor(status, status.readCursor);
    CheckCursor(status, status.writeCursor);
    return 0;
}
