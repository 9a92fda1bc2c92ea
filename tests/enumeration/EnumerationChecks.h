// Helpers for the enumeration tests: small folder trees on the test drives, a readable
// picture of an item tree, and checks that every item of a tree names what is on disk.
#pragma once

#include <windows.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "CopyItemsData.h"
#include "TestFiles.h"
#include "TestHarness.h"

namespace enumtest {

using Marlin::Sluice::CopyItemKind;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::CopyItemTree;

inline const char* KindName(CopyItemKind kind) {
    switch (kind) {
        case CopyItemKind::None: return "None";
        case CopyItemKind::Root: return "Root";
        case CopyItemKind::File: return "File";
        case CopyItemKind::Folder: return "Folder";
        case CopyItemKind::Stream: return "Stream";
        case CopyItemKind::DeleteFile: return "DeleteFile";
        case CopyItemKind::RemoveFolder: return "RemoveFolder";
    }
    return "?";
}

// One line per node in pre-order, two spaces per level: kind, name, and for files and
// streams the size. The head shows only its kind; its path is checked on its own.
inline std::string Picture(const CopyItemTree& t) {
    std::ostringstream os;
    for (auto it = t.begin(); it != t.end(); ++it) {
        os << std::string(2 * it.depth(), ' ') << KindName(it->kind);
        if (it->kind != CopyItemKind::Root) os << " \"" << quaytest::Utf8(it->path) << '"';
        if (it->kind == CopyItemKind::File || it->kind == CopyItemKind::Stream) os << ' ' << it->size;
        os << '\n';
    }
    return os.str();
}

inline std::string Lines(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* l : lines) out += std::string(l) + '\n';
    return out;
}

struct Counters {
    int64_t items, folders, files, streams, removeFolders, deleteFiles, totalBytes, weightedBytes, largest;
};

inline void CheckCounters(const CopyItemsData& items, const Counters& c) {
    CHECK_EQ(items.itemCount, c.items);
    CHECK_EQ(items.folderCount, c.folders);
    CHECK_EQ(items.fileCount, c.files);
    CHECK_EQ(items.streamCount, c.streams);
    CHECK_EQ(items.removeFolderCount, c.removeFolders);
    CHECK_EQ(items.deleteFileCount, c.deleteFiles);
    CHECK_EQ(items.totalBytes, c.totalBytes);
    CHECK_EQ(items.weightedBytes, c.weightedBytes);
    CHECK_EQ(items.largestSize, c.largest);
}

inline std::wstring LongForm(const std::wstring& p) { return p.rfind(L"\\\\", 0) == 0 ? p : L"\\\\?\\" + p; }

// Every File and Folder node, its path rebuilt from the tree, is on disk as that kind (and
// a file with that size); every stream's path is its file's path and its name. So the walk
// produced paths that extend the head's path exactly and put each item under its parent.
inline void CheckAgainstDisk(const CopyItemTree& t) {
    for (auto it = t.begin(); it != t.end(); ++it) {
        const std::wstring path = CopyItemsData::SourcePath(it);
        CONTEXT("node " + quaytest::Utf8(path));
        if (it->kind == CopyItemKind::File || it->kind == CopyItemKind::Folder) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            REQUIRE(GetFileAttributesExW(LongForm(path).c_str(), GetFileExInfoStandard, &data));
            CHECK_EQ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, it->kind == CopyItemKind::Folder);
            if (it->kind == CopyItemKind::File)
                CHECK_EQ(it->size, static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow));
        }
        if (it->kind == CopyItemKind::Stream) {
            CHECK_EQ(path, CopyItemsData::SourcePath(CopyItemTree::const_iterator(it.node()->parent)) + it->path);
        }
    }
}

// Creates a tree below root from entries: "name\" is a folder, anything else a file with
// the given content. Parents must come before their entries.
struct Entry {
    std::wstring name;
    std::string content;
    DWORD attributes = 0;  // added after the file is written
};

inline void MakeFixture(const std::wstring& root, const std::vector<Entry>& entries) {
    quaytest::MakeDir(root);
    for (const Entry& e : entries) {
        const std::wstring path = root + L"\\" + e.name;
        if (!e.name.empty() && e.name.back() == L'\\') {
            quaytest::MakeDir(path.substr(0, path.size() - 1));
        } else {
            quaytest::WriteBytes(path, e.content);
        }
        if (e.attributes) {
            const std::wstring p = LongForm(path.back() == L'\\' ? path.substr(0, path.size() - 1) : path);
            REQUIRE(SetFileAttributesW(p.c_str(), GetFileAttributesW(p.c_str()) | e.attributes));
        }
    }
}

}  // namespace enumtest
