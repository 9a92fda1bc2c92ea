#include "MoveMatrix.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "TestHarness.h"

using namespace algotest;

namespace movetest {

const std::vector<Entry>& MixedTree() {
    static const std::vector<Entry> tree = {
        {L"empty.txt", 0},
        {L"one.bin", 1},
        {L"below64k.bin", static_cast<int64_t>(64 * KiB - 1)},
        {L"at64k.bin", static_cast<int64_t>(64 * KiB)},
        {L"above64k.bin", static_cast<int64_t>(64 * KiB + 1)},
        {L"sub", -1},
        {L"sub\\big.bin", static_cast<int64_t>(3 * MiB + 17)},
        {L"sub\\empty.dat", 0},
        {L"sub\\deeper", -1},
        {L"sub\\deeper\\middle.bin", static_cast<int64_t>(1 * MiB)},
        {L"sub\\deeper\\one.txt", 1},
        {L"sub\\nothing", -1},
        {L"日本", -1},
        {L"日本\\データ.bin", 4097},
    };
    return tree;
}

MatrixPlan PlanFromEnvironment(const char* matrix, int shortCount) {
    MatrixPlan plan;
    plan.count = shortCount;
    plan.seed = static_cast<uint32_t>(GetTickCount() ^ (GetCurrentProcessId() << 16));
    if (const char* count = std::getenv("QUAY_MATRIX_COUNT"); count && *count) plan.count = std::atoi(count);
    if (const char* seed = std::getenv("QUAY_MATRIX_SEED"); seed && *seed)
        plan.seed = static_cast<uint32_t>(std::strtoul(seed, nullptr, 10));
    std::printf("%s matrix: %d points, seed %u (QUAY_MATRIX_SEED=%u repeats it)\n", matrix, plan.count, plan.seed,
                plan.seed);
    std::fflush(stdout);
    return plan;
}

Outcome CheckInterrupted(const TreeFacts& sources, const std::wstring& sourceRoot, const std::wstring& destinationRoot,
                         bool leftoversAllowed) {
    Outcome outcome;
    for (const auto& [relative, facts] : sources) {
        if (facts.folder) continue;
        const std::wstring source = sourceRoot + L"\\" + relative;
        const std::wstring destination = destinationRoot + L"\\" + relative;
        const bool atSource = quaytest::Exists(source);
        const bool atDestination = quaytest::Exists(destination);
        bool complete = false;
        if (atDestination) {
            uint64_t hash = 0;
            const FileFacts copy = Facts(destination);
            complete = copy.size == facts.size && TryHashFile(destination, hash) && hash == facts.hash;
            if (!complete) {
                ++outcome.leftovers;
                if (!leftoversAllowed)
                    outcome.problems.push_back("an incomplete copy remains: " + quaytest::Utf8(destination));
                else if (CompareFileTime(&copy.lastWrite, &facts.lastWrite) == 0)
                    outcome.problems.push_back("an incomplete copy carries its source's last-write time: " +
                                               quaytest::Utf8(destination));
            }
        }
        if (atSource) {
            uint64_t hash = 0;
            const FileFacts now = Facts(source);
            if (now.size != facts.size || !TryHashFile(source, hash) || hash != facts.hash)
                outcome.problems.push_back("a source changed: " + quaytest::Utf8(source));
        } else if (!complete) {
            outcome.problems.push_back("a source is gone without a complete copy: " + quaytest::Utf8(source));
        } else {
            ++outcome.sourcesGone;
        }
    }
    return outcome;
}

}  // namespace movetest
