// The destination files one job has written itself. Two sources with the same name (a
// C:\x\f.txt and a D:\y\f.txt moved into one folder) meet at one destination; an answer
// such as "overwrite all", given for the files that were there before, must not let the
// second replace the first's copy, which in a move is the only copy left. Kept as 64-bit
// hashes of the upper-cased paths (8 bytes a file, for jobs of millions of files); two
// paths that happen to share a hash only make a replacement an error instead. The writer
// adds, the reader asks as well (so as not to ask the user first): safe from both threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>

namespace Marlin::Sluice {

class WrittenDestinations {
public:
    void Add(const std::wstring& path);
    bool Contains(const std::wstring& path) const;

private:
    static uint64_t Key(const std::wstring& path);
    mutable std::mutex lock_;
    std::unordered_set<uint64_t> keys_;
};

}  // namespace Marlin::Sluice
