// Flag bits: whole-subtree marking, copies carrying the bits, and concurrent updates from
// two threads never losing a bit.
#include <atomic>
#include <string>
#include <thread>

#include "ItemFixtures.h"

using namespace itemtest;
using Marlin::Sluice::CopyItemFlags;

TEST_CASE("subtree marking reaches the node and everything below it, nothing beside or above") {
    CopyItemsData items;
    AddSource(items, L"C:\\s", MoveOfS());
    CopyItemTree& t = items.Tree(0);

    CopyItemsData::AddFlagsToSubtree(At(t, 6), CopyItemFlags::Skip);  // folder d
    CopyItemsData::AddFlagsToSubtree(At(t, 2), CopyItemFlags::DestinationAbsent);  // a.txt
    CopyItemsData::AddFlagsToSubtree(At(t, 7), CopyItemFlags::ReadPassed | CopyItemFlags::ReadOpened);  // b.bin

    const int32_t skip = 0x10, absent = 0x100, read = 0x3;
    const int32_t expected[] = {
        0,            // head
        0,            // source item
        absent,       // a.txt
        absent,       // :x:$DATA
        absent,       // :y:$DATA
        absent,       // DeleteFile a.txt
        skip,         // d
        skip | read,  // b.bin
        skip | read,  // DeleteFile b.bin
        skip,         // RemoveFolder d
        0,            // RemoveFolder source
    };
    for (int i = 0; i < 11; ++i) {
        CONTEXT("node " + std::to_string(i) + " " + Describe(*At(t, i)));
        CHECK_EQ(At(t, i)->Flags(), expected[i]);
    }
    CHECK(At(t, 7)->HasFlags(CopyItemFlags::ReadOpened | CopyItemFlags::Skip));
    CHECK(!At(t, 7)->HasFlags(CopyItemFlags::ReadOpened | CopyItemFlags::DestinationAbsent));

    // Marking the head reaches every item but leaves the end node alone.
    CopyItemsData::AddFlagsToSubtree(t.begin(), CopyItemFlags::OverwriteApproved);
    for (auto it = t.begin(); it != t.end(); ++it) CHECK(it->HasFlags(CopyItemFlags::OverwriteApproved));
    CHECK_EQ(t.end()->Flags(), 0);
}

TEST_CASE("copies of items, trees and item lists carry the flag bits as they are") {
    CopyItemData item(L"a.txt", 3, CopyItemKind::File, 0x20);
    item.AddFlags(CopyItemFlags::Skip);
    CopyItemData copy(item);
    CHECK_EQ(copy.Flags(), 0x30);
    CopyItemData assigned;
    assigned = item;
    CHECK_EQ(assigned.Flags(), 0x30);
    CHECK_EQ(assigned.path, std::wstring(L"a.txt"));
    CopyItemData moved(std::move(copy));
    CHECK_EQ(moved.Flags(), 0x30);

    CopyItemsData items;
    AddSource(items, L"C:\\s", CopyOfS());
    CopyItemsData::AddFlagsToSubtree(At(items.Tree(0), 5), CopyItemFlags::EncryptionLossApproved);
    CopyItemsData duplicate(items);
    CHECK_EQ(At(duplicate.Tree(0), 6)->Flags(), 0x40);
    // The duplicate is independent: later bits on the original do not show in it.
    At(items.Tree(0), 2)->AddFlags(CopyItemFlags::Skip);
    CHECK_EQ(At(duplicate.Tree(0), 2)->Flags(), 0);
    CHECK_EQ(duplicate.itemCount, int64_t(6));
}

TEST_CASE("two threads adding bits to the same items at once never lose one") {
    CopyItemsData items;
    items.AddRoot(L"C:\\s");
    REQUIRE(items.AddItem(CopyItemData(L"C:\\s", 0, CopyItemKind::Folder)));
    const int files = 2000;
    for (int i = 0; i < files; ++i)
        REQUIRE(items.AddItem(CopyItemData(L"C:\\s\\f" + std::to_wstring(i), 1, CopyItemKind::File)));
    CopyItemTree& t = items.Tree(0);

    // One thread ors the even bits in by walking subtrees, the other the odd bits item by
    // item, one bit per pass, so the two keep colliding on the same words. A lost update
    // shows as a missing bit; a few rounds make a collision near certain.
    int lost = 0;
    for (int round = 0; round < 8; ++round) {
        for (auto it = t.begin(); it != t.end(); ++it) it->flags.store(0);
        std::atomic<int> ready{0};
        auto startTogether = [&ready] {
            ready.fetch_add(1);
            while (ready.load() < 2) std::this_thread::yield();
        };
        std::thread even([&] {
            startTogether();
            for (int bit = 0; bit < 31; bit += 2)
                CopyItemsData::AddFlagsToSubtree(t.begin(), static_cast<CopyItemFlags>(1 << bit));
        });
        std::thread odd([&] {
            startTogether();
            for (int bit = 1; bit < 31; bit += 2)
                for (auto it = t.begin(); it != t.end(); ++it) it->AddFlags(int32_t(1) << bit);
        });
        even.join();
        odd.join();
        for (auto it = t.begin(); it != t.end(); ++it)
            if (it->Flags() != 0x7FFFFFFF) ++lost;
    }
    CHECK_EQ(lost, 0);
}
