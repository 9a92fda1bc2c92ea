// What the crash and cancel matrices share: the mixed tree they move, the seeded choice of
// their interruption points, and the check of what an interrupted job left on disk.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "JobFiles.h"

namespace movetest {

// Empty files, one byte, 64 KiB and one byte either side, a few MiB, nested and empty
// folders and a Japanese name: every size class the reader and the writer treat apart.
const std::vector<algotest::Entry>& MixedTree();

// How many interruptions a matrix runs and from which seed: QUAY_MATRIX_COUNT and
// QUAY_MATRIX_SEED from the environment (the long form in bench/ sets them), else the
// short form's count and a seed of the moment. The seed is printed, so any run can be
// repeated exactly as far as the seed decides.
struct MatrixPlan {
    int count = 0;
    uint32_t seed = 0;
};
MatrixPlan PlanFromEnvironment(const char* matrix, int shortCount);

// After an interrupted job: every file of the source tree is either still at the source,
// untouched, or at the destination complete and byte for byte the same. A destination
// file that is not such a copy is a leftover; with leftoversAllowed (a killed process) it
// must at least not carry its source's last-write time, so that it can be told apart from
// a copy; without (a cancel) it must not exist at all. Returns the problems found.
struct Outcome {
    std::vector<std::string> problems;
    int sourcesGone = 0;   // files moved: gone at the source, complete at the destination
    int leftovers = 0;     // incomplete destination files
};
Outcome CheckInterrupted(const algotest::TreeFacts& sources, const std::wstring& sourceRoot,
                         const std::wstring& destinationRoot, bool leftoversAllowed);

}  // namespace movetest
