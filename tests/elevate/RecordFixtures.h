// Records of the elevation pipe filled with values of their own, and field-by-field
// comparisons, shared by the record tests.
#pragma once

#include <cstdint>
#include <string>

#include "CopyItemsData.h"
#include "SluiceCoreDisplayStatus.h"
#include "DisplayStatusChecks.h"
#include "SluiceOption.h"
#include "TestHarness.h"

namespace elevatetest {

using Marlin::Sluice::CopyItemData;
using Marlin::Sluice::CopyItemKind;
using Marlin::Sluice::CopyItemTree;

// The example tree: a head with two children, the first of which has a child.
inline CopyItemTree ExampleTree() {
    CopyItemTree t;
    auto head = t.set_head(CopyItemData(L"r", 0, CopyItemKind::Root));
    auto x = t.append_child(head, CopyItemData(L"x", 0, CopyItemKind::Folder));
    t.append_child(x, CopyItemData(L"y", 5, CopyItemKind::File, 0x20));
    t.append_child(head, CopyItemData(L"z", 7, CopyItemKind::File));
    return t;
}

inline Marlin::Sluice::SluiceOption ExampleOption() {
    Marlin::Sluice::SluiceOption o;
    o.algorithmKind = 2;
    o.sources = {L"C:\\a", L"C:\\bb"};
    o.destination = L"D:\\";
    o.bufferPoolSize = 0x4000000;
    o.readChunkSize = 0x100000;
    o.reserved1 = 0x11;
    o.writeChunkSize = 0x10000;
    o.noBufferingThreshold = Marlin::Sluice::SluiceOption::Never;
    o.reserved2 = 0x22;
    o.reserved3 = 3;
    o.reserved4 = 4;
    o.reserved5 = 5;
    o.foldersFirst = 1;
    o.readerWakeFreeBytes = 0x200000;
    o.writerWakeUsedBytes = 0x300000;
    o.move = 1;
    o.retryCount = 10;
    o.retryIntervalMs = 100;
    return o;
}

inline Marlin::Sluice::SluiceCoreDisplayStatus ExampleDisplayStatus() {
    Marlin::Sluice::SluiceCoreDisplayStatus s;
    s.totalElapsedMs = 1;
    s.copyElapsedMs = 2;
    s.byteCounts = {3, 4, 5};
    s.weightedByteCounts = {6, 7, 8};
    s.itemCounts = {9, 10, 11};
    s.sourceFolder = L"C:\\src";
    s.destinationFolder = L"D:\\dst";
    s.readingPath = L"C:\\src\\読む.txt";
    s.writingPath = L"D:\\dst\\w.txt";
    s.lastRead = {12, 13};
    s.lastWrite = {14, 15};
    s.readLaps = {{16, 17}};
    s.writeLaps = {{18, 19}};
    s.readTotals = {{20, 21}};
    s.writeTotals = {{22, 23}};
    return s;
}

// The same shape, item for item, in pre-order.
inline void CheckSameTree(const CopyItemTree& a, const CopyItemTree& b) {
    auto i = a.begin();
    auto j = b.begin();
    for (; i != a.end() && j != b.end(); ++i, ++j) {
        CHECK_EQ(i->path, j->path);
        CHECK_EQ(i->size, j->size);
        CHECK(i->kind == j->kind);
        CHECK_EQ(i->Flags(), j->Flags());
        CHECK_EQ(i.node()->depth, j.node()->depth);
        CHECK_EQ(i.node()->child_count, j.node()->child_count);
    }
    CHECK(i == a.end());
    CHECK(j == b.end());
}

}  // namespace elevatetest
