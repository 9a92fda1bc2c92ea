#include "JobFiles.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "UniqueHandle.h"
#include "TestFiles.h"
#include "TestHarness.h"

namespace algotest {

namespace {

std::wstring Long(const std::wstring& path) { return path.rfind(L"\\\\", 0) == 0 ? path : L"\\\\?\\" + path; }

std::wstring ParentOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

void Walk(const std::wstring& root, const std::wstring& relative, TreeFacts& out) {
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    for (const std::wstring& name : quaytest::ListNames(folder)) {
        const std::wstring item = relative.empty() ? name : relative + L"\\" + name;
        FileFacts facts = Facts(root + L"\\" + item);
        out[item] = facts;
        if (facts.folder) Walk(root, item, out);
    }
}

}  // namespace

void Build(const std::wstring& root, const std::vector<Entry>& entries, uint32_t seed) {
    quaytest::MakeDir(root);
    int minute = 0;
    for (const Entry& e : entries) {
        const std::wstring path = root + L"\\" + e.path;
        if (e.size < 0) {
            quaytest::MakeDir(path);
            continue;
        }
        if (!ParentOf(e.path).empty()) quaytest::MakeDir(ParentOf(path));
        quaytest::WriteBytes(path, quaytest::PatternBytes(static_cast<size_t>(e.size), seed++));
        SetLastWriteTime(path, Moment(2011, 3, 4, 5, minute % 60, (minute * 7) % 60));
        ++minute;
    }
}

uint64_t HashBytes(const void* data, size_t size, uint64_t hash) {
    // FNV-1a over the bytes, seeded so an empty input differs from "not hashed".
    if (hash == 0) hash = 1469598103934665603ull;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    return hash;
}

bool TryHashFile(const std::wstring& path, uint64_t& hash) {
    Marlin::FileHandle file(CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    // One buffer per thread: thousands of small files must not each cost a large allocation.
    thread_local std::vector<unsigned char> buffer(4 * MiB);
    hash = HashBytes(nullptr, 0);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        // Eight bytes per step: a whole-file hash of several GiB stays a matter of seconds.
        size_t i = 0;
        for (; i + 8 <= got; i += 8) {
            uint64_t word;
            std::memcpy(&word, buffer.data() + i, 8);
            hash = (hash ^ word) * 1099511628211ull;
            hash ^= hash >> 29;
        }
        hash = HashBytes(buffer.data() + i, got - i, hash);
    }
}

uint64_t HashFile(const std::wstring& path) {
    uint64_t hash = 0;
    if (!TryHashFile(path, hash))
        FAIL("cannot read " + quaytest::Utf8(path) + " error " + std::to_string(GetLastError()));
    return hash;
}

FileFacts Facts(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Long(path).c_str(), GetFileExInfoStandard, &data))
        FAIL("missing " + quaytest::Utf8(path) + " error " + std::to_string(GetLastError()));
    FileFacts facts;
    facts.attributes = data.dwFileAttributes;
    facts.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.lastWrite = data.ftLastWriteTime;
    if (!facts.folder) {
        facts.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        facts.hash = HashFile(path);
    }
    return facts;
}

TreeFacts Snapshot(const std::wstring& root) {
    TreeFacts out;
    if (quaytest::IsFolder(root)) Walk(root, L"", out);
    return out;
}

void CheckTree(const TreeFacts& expected, const std::wstring& root) {
    const TreeFacts actual = Snapshot(root);
    for (const auto& [name, want] : expected) {
        CONTEXT("entry " + quaytest::Utf8(name) + " below " + quaytest::Utf8(root));
        const auto found = actual.find(name);
        if (found == actual.end()) {
            CHECK(!"expected entry is missing");
            continue;
        }
        const FileFacts& got = found->second;
        CHECK_EQ(got.folder, want.folder);
        if (want.folder || got.folder) continue;
        CHECK_EQ(got.size, want.size);
        CHECK_EQ(got.hash, want.hash);
        if (CompareFileTime(&got.lastWrite, &want.lastWrite) != 0) CHECK_EQ(Show(got.lastWrite), Show(want.lastWrite));
    }
    for (const auto& [name, got] : actual) {
        CONTEXT("entry " + quaytest::Utf8(name) + " below " + quaytest::Utf8(root));
        if (!expected.count(name)) CHECK(!"unexpected entry");
    }
}

void CheckFile(const FileFacts& expected, const std::wstring& path) {
    CONTEXT("file " + quaytest::Utf8(path));
    REQUIRE(quaytest::Exists(path));
    const FileFacts got = Facts(path);
    CHECK(!got.folder);
    CHECK_EQ(got.size, expected.size);
    CHECK_EQ(got.hash, expected.hash);
    if (CompareFileTime(&got.lastWrite, &expected.lastWrite) != 0)
        CHECK_EQ(Show(got.lastWrite), Show(expected.lastWrite));
}

TreeFacts Subtree(const TreeFacts& tree, const std::wstring& entry) {
    TreeFacts out;
    const std::wstring prefix = entry + L"\\";
    for (const auto& [name, facts] : tree)
        if (name.compare(0, prefix.size(), prefix) == 0) out[name.substr(prefix.size())] = facts;
    return out;
}

}  // namespace algotest
