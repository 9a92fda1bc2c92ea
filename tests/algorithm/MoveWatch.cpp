#include "MoveWatch.h"

#include <windows.h>

#include "TestHarness.h"

namespace algotest {

namespace {

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

}  // namespace

void MoveWatch::Watch(const std::wstring& sourceRoot, const TreeFacts& sourceTree,
                      const std::wstring& destinationRoot) {
    for (const auto& [name, facts] : sourceTree)
        if (!facts.folder) WatchFile(sourceRoot + L"\\" + name, facts, destinationRoot + L"\\" + name);
}

void MoveWatch::WatchFile(const std::wstring& source, const FileFacts& facts, const std::wstring& destination) {
    std::lock_guard<std::mutex> guard(lock_);
    pairs_.push_back({source, destination, facts, false});
}

void MoveWatch::Check() {
    std::lock_guard<std::mutex> guard(lock_);
    ++checks_;
    for (Pair& p : pairs_) {
        if (p.verified || GetFileAttributesW(Long(p.source).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        uint64_t hash = 0;
        std::string problem;
        if (!GetFileAttributesExW(Long(p.destination).c_str(), GetFileExInfoStandard, &data)) {
            problem = "source gone, no copy";
        } else if (((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow) != p.facts.size) {
            problem = "source gone, copy has the wrong size";
        } else if (!TryHashFile(p.destination, hash)) {
            problem = "source gone, copy still open or unreadable";
        } else if (hash != p.facts.hash) {
            problem = "source gone, copy has other content";
        }
        if (problem.empty())
            p.verified = true;
        else
            problems_.push_back(problem + ": " + quaytest::Utf8(p.source));
    }
}

std::vector<std::string> MoveWatch::Problems() const {
    std::lock_guard<std::mutex> guard(lock_);
    return problems_;
}

int MoveWatch::Checks() const {
    std::lock_guard<std::mutex> guard(lock_);
    return checks_;
}

}  // namespace algotest
