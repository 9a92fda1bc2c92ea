// Watches the sources of a move while it runs: whenever a source file is gone, its copy
// must already be complete (same size and content). Checked from the engine's threads, at
// every delivery and before every write, so problems are collected, never thrown.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "JobFiles.h"

namespace algotest {

class MoveWatch {
public:
    MoveWatch() = default;
    MoveWatch(const MoveWatch&) = delete;
    MoveWatch& operator=(const MoveWatch&) = delete;

    // Every file of sourceRoot's tree, expected below destinationRoot under the same names.
    void Watch(const std::wstring& sourceRoot, const TreeFacts& sourceTree, const std::wstring& destinationRoot);
    void WatchFile(const std::wstring& source, const FileFacts& facts, const std::wstring& destination);

    void Check();
    std::vector<std::string> Problems() const;
    int Checks() const;

private:
    struct Pair {
        std::wstring source;
        std::wstring destination;
        FileFacts facts;
        bool verified = false;  // the source was seen gone with a complete copy
    };
    mutable std::mutex lock_;
    std::vector<Pair> pairs_;
    std::vector<std::string> problems_;
    int checks_ = 0;
};

}  // namespace algotest
