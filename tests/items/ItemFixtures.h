// Item trees as the enumeration delivers them, for the item tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CopyItemsData.h"
#include "TestHarness.h"
#include "TreeChecks.h"

namespace itemtest {

using Marlin::Sluice::CopyItemData;
using Marlin::Sluice::CopyItemKind;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::CopyItemTree;

struct Input {
    const wchar_t* path;
    int64_t size;
    CopyItemKind kind;
};

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

inline std::string Describe(const CopyItemData& item) {
    return std::string(KindName(item.kind)) + " \"" + quaytest::Utf8(item.path) + "\"";
}

inline std::string Picture(const CopyItemTree& t) { return Picture(t, Describe); }

// A source and its items, added in the order given; every one must be accepted.
inline void AddSource(CopyItemsData& items, const wchar_t* source, const std::vector<Input>& inputs) {
    items.AddRoot(source);
    for (const Input& in : inputs) {
        CONTEXT("adding " + quaytest::Utf8(in.path));
        REQUIRE(items.AddItem(CopyItemData(in.path, in.size, in.kind)));
    }
}

// C:\s holding a.txt (streams :x:$DATA and :y:$DATA) and d\b.bin.
inline std::vector<Input> CopyOfS() {
    return {
        {L"C:\\s", 0, CopyItemKind::Folder},
        {L"C:\\s\\a.txt", 10, CopyItemKind::File},
        {L"C:\\s\\a.txt:x:$DATA", 3, CopyItemKind::Stream},
        {L"C:\\s\\a.txt:y:$DATA", 4, CopyItemKind::Stream},
        {L"C:\\s\\d", 0, CopyItemKind::Folder},
        {L"C:\\s\\d\\b.bin", 20, CopyItemKind::File},
    };
}

// The same moved: each file's DeleteFile follows its streams, each folder ends with its
// RemoveFolder.
inline std::vector<Input> MoveOfS() {
    return {
        {L"C:\\s", 0, CopyItemKind::Folder},
        {L"C:\\s\\a.txt", 10, CopyItemKind::File},
        {L"C:\\s\\a.txt:x:$DATA", 3, CopyItemKind::Stream},
        {L"C:\\s\\a.txt:y:$DATA", 4, CopyItemKind::Stream},
        {L"C:\\s\\a.txt", 0, CopyItemKind::DeleteFile},
        {L"C:\\s\\d", 0, CopyItemKind::Folder},
        {L"C:\\s\\d\\b.bin", 20, CopyItemKind::File},
        {L"C:\\s\\d\\b.bin", 0, CopyItemKind::DeleteFile},
        {L"C:\\s\\d", 0, CopyItemKind::RemoveFolder},
        {L"C:\\s", 0, CopyItemKind::RemoveFolder},
    };
}

// The pre-order position index of a tree (0 = the head).
template <class TreeT>
auto At(TreeT& t, int index) {
    auto it = t.begin();
    for (int i = 0; i < index && it != t.end(); ++i) ++it;
    return it;
}

}  // namespace itemtest
