// Runs one job the way the copy tool does: a SluiceCore with the job's option and an
// observer, its Run on the calling thread (as the engine thread would), the real algorithm
// or the test's own variant of it.
#pragma once

#include <string>
#include <vector>

#include "JobObserver.h"
#include "SluiceOption.h"
#include "TestAlgorithm.h"

namespace algotest {

// The option the copy tool makes for a fixed disk: a 64 MiB pool, 16 MiB reads, 64 KiB
// buffered writes, folders first, the wake thresholds by whether source and destination
// share a drive, ten more delete attempts 100 ms apart.
Marlin::Sluice::SluiceOption JobOption(const std::vector<std::wstring>& sources, const std::wstring& destination,
                                       bool move);

void RunJob(const Marlin::Sluice::SluiceOption& option, JobObserver& observer, AlgorithmHooks* hooks = nullptr);

// 1000 first, then 2000, exactly one 2001, then 1001 last; and no 2002 unless allowed.
void CheckFrame(const JobObserver& observer, bool errorsAllowed = false);

// A cancel stops both threads: exactly two errors, one per thread, both of type Cancelled.
void CheckBothThreadsCancelled(const JobObserver& observer);

}  // namespace algotest
