// Real trees for the copy jobs: building them with known contents and times, and taking
// and comparing their facts (kind, size, content hash, last-write time, attributes).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace algotest {

constexpr uint64_t KiB = 1024, MiB = 1024 * KiB, GiB = 1024 * MiB;

struct FileFacts {
    bool folder = false;
    uint64_t size = 0;
    uint64_t hash = 0;  // of the content, files only
    FILETIME lastWrite{};
    DWORD attributes = 0;
};

// Relative path below a root (names joined with backslashes) -> facts.
using TreeFacts = std::map<std::wstring, FileFacts>;

// One entry of a tree to build; a negative size makes a folder.
struct Entry {
    std::wstring path;
    int64_t size;
};

// Creates the entries below root (parents included) with pattern contents, and gives the
// files distinct last-write times in the past, so a copy that keeps "now" shows up.
void Build(const std::wstring& root, const std::vector<Entry>& entries, uint32_t seed = 1);

uint64_t HashBytes(const void* data, size_t size, uint64_t hash = 0);
// Streamed, so files of any size. The Try form never throws (for the engine's threads).
bool TryHashFile(const std::wstring& path, uint64_t& hash);
// Fails the test when the file cannot be read.
uint64_t HashFile(const std::wstring& path);
FileFacts Facts(const std::wstring& path);
// Everything below root; an absent root gives an empty map.
TreeFacts Snapshot(const std::wstring& root);

// Reports every difference between what is below root and expected: missing or extra
// entries, kinds, sizes, contents and last-write times of files.
void CheckTree(const TreeFacts& expected, const std::wstring& root);
// The same for one file.
void CheckFile(const FileFacts& expected, const std::wstring& path);
// The facts of one entry and everything below it, re-rooted at the entry.
TreeFacts Subtree(const TreeFacts& tree, const std::wstring& entry);

using quaytest::Moment;
using quaytest::SetLastWriteTime;
using quaytest::Show;

}  // namespace algotest
