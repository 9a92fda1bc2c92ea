// What the copy engine copies and how: the job and the engine's tuning. Built once per
// job, copied by value into the core and the algorithm, and sent field by field to an
// elevated instance, so the fields keep this order (the pipe form follows it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Marlin::Sluice {

class SluiceOption {
public:
    // The only algorithm the core runs; any other value ends the job without copying.
    static constexpr int32_t MultiThreadAlgorithm = 2;
    // A threshold that an unsigned comparison never reaches.
    static constexpr uint64_t Never = ~uint64_t{0};

    // Member-wise copy is exactly what the record needs: strings and the list copy deeply.
    SluiceOption() = default;
    SluiceOption(const SluiceOption&) = default;
    SluiceOption(SluiceOption&&) noexcept = default;
    SluiceOption& operator=(const SluiceOption&) = default;
    SluiceOption& operator=(SluiceOption&&) noexcept = default;
    virtual ~SluiceOption() = default;

    int32_t algorithmKind = 0;
    std::vector<std::wstring> sources;
    std::wstring destination;
    uint64_t bufferPoolSize = 0;        // page-locked pool, lowered to the transfer alignment later
    uint64_t readChunkSize = 0;         // largest single read request
    uint64_t reserved1 = 0;             // reserved fields: carried, never interpreted
    uint64_t writeChunkSize = 0;        // largest single write request
    uint64_t noBufferingThreshold = 0;  // files at least this large bypass the cache; Never: none
    uint64_t reserved2 = 0;
    int32_t reserved3 = 0;
    int32_t reserved4 = 0;
    int32_t reserved5 = 0;
    int32_t foldersFirst = 0;           // 1: each source is walked for its folders first
    uint64_t readerWakeFreeBytes = 0;   // writer wakes the reader once this much of the pool is free
    uint64_t writerWakeUsedBytes = 0;   // reader wakes the writer once this much of the pool is used
    int32_t move = 0;                   // 1: sources go away after copying
    int32_t retryCount = 0;             // further attempts of a failed delete or folder removal
    int32_t retryIntervalMs = 0;        // pause before each further attempt
};

}  // namespace Marlin::Sluice
