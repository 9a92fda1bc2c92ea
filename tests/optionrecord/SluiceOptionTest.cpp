// The copy option record: what a fresh option holds, and that copies are complete and
// independent (the core and the algorithm each keep their own).
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "SluiceOption.h"
#include "TestHarness.h"

using Marlin::Sluice::SluiceOption;

namespace {

// Every field with a value of its own, so a field that a copy drops or mixes up shows.
SluiceOption Distinct() {
    SluiceOption o;
    o.algorithmKind = 2;
    o.sources = {L"C:\\a", L"C:\\b\\c.txt"};
    o.destination = L"D:\\dest";
    o.bufferPoolSize = 0x4000000;
    o.readChunkSize = 0x1000001;
    o.reserved1 = 0x1111;
    o.writeChunkSize = 0x10002;
    o.noBufferingThreshold = SluiceOption::Never;
    o.reserved2 = 0x2222;
    o.reserved3 = 33;
    o.reserved4 = 1;
    o.reserved5 = 55;
    o.foldersFirst = 1;
    o.readerWakeFreeBytes = 0xFFFFFFFFFFFFFFF0ULL;
    o.writerWakeUsedBytes = 0xFFFFFFFFFFFFFFF1ULL;
    o.move = 1;
    o.retryCount = 10;
    o.retryIntervalMs = 100;
    return o;
}

void CheckSame(const SluiceOption& a, const SluiceOption& b) {
    CHECK_EQ(a.algorithmKind, b.algorithmKind);
    CHECK(a.sources == b.sources);
    CHECK_EQ(a.destination, b.destination);
    CHECK_EQ(a.bufferPoolSize, b.bufferPoolSize);
    CHECK_EQ(a.readChunkSize, b.readChunkSize);
    CHECK_EQ(a.reserved1, b.reserved1);
    CHECK_EQ(a.writeChunkSize, b.writeChunkSize);
    CHECK_EQ(a.noBufferingThreshold, b.noBufferingThreshold);
    CHECK_EQ(a.reserved2, b.reserved2);
    CHECK_EQ(a.reserved3, b.reserved3);
    CHECK_EQ(a.reserved4, b.reserved4);
    CHECK_EQ(a.reserved5, b.reserved5);
    CHECK_EQ(a.foldersFirst, b.foldersFirst);
    CHECK_EQ(a.readerWakeFreeBytes, b.readerWakeFreeBytes);
    CHECK_EQ(a.writerWakeUsedBytes, b.writerWakeUsedBytes);
    CHECK_EQ(a.move, b.move);
    CHECK_EQ(a.retryCount, b.retryCount);
    CHECK_EQ(a.retryIntervalMs, b.retryIntervalMs);
}

}  // namespace

TEST_CASE("a new option is empty and zero, the reserved fields included") {
    // Placement over a dirty buffer: a field without an initialiser would show the junk.
    alignas(SluiceOption) unsigned char storage[sizeof(SluiceOption)];
    for (auto& byte : storage) byte = 0xA5;
    SluiceOption* o = new (storage) SluiceOption;
    CHECK(o->sources.empty());
    CHECK(o->destination.empty());
    CHECK_EQ(o->algorithmKind, 0);
    CHECK_EQ(o->bufferPoolSize, uint64_t{0});
    CHECK_EQ(o->readChunkSize, uint64_t{0});
    CHECK_EQ(o->reserved1, uint64_t{0});
    CHECK_EQ(o->writeChunkSize, uint64_t{0});
    CHECK_EQ(o->noBufferingThreshold, uint64_t{0});
    CHECK_EQ(o->reserved2, uint64_t{0});
    CHECK_EQ(o->reserved3, 0);
    CHECK_EQ(o->reserved4, 0);
    CHECK_EQ(o->reserved5, 0);
    CHECK_EQ(o->foldersFirst, 0);
    CHECK_EQ(o->readerWakeFreeBytes, uint64_t{0});
    CHECK_EQ(o->writerWakeUsedBytes, uint64_t{0});
    CHECK_EQ(o->move, 0);
    CHECK_EQ(o->retryCount, 0);
    CHECK_EQ(o->retryIntervalMs, 0);
    o->~SluiceOption();
}

TEST_CASE("copies of an option hold every field and their own source list and destination") {
    const SluiceOption original = Distinct();

    SluiceOption constructed(original);
    CheckSame(constructed, original);

    SluiceOption assigned;
    assigned.sources = {L"X:\\old"};
    assigned = original;
    CheckSame(assigned, original);

    // Changing a copy leaves the original alone (the core rewrites its own sources).
    constructed.sources[0] = L"E:\\changed";
    constructed.sources.push_back(L"E:\\more");
    constructed.destination += L"\\sub";
    assigned.sources.clear();
    CHECK_EQ(original.sources.size(), size_t{2});
    CHECK_EQ(original.sources[0], std::wstring(L"C:\\a"));
    CHECK_EQ(original.destination, std::wstring(L"D:\\dest"));
}
