#include "SampleTree.h"

#include "TestFiles.h"
#include "TestHarness.h"

namespace quaytest {

SampleTree::SampleTree(const std::wstring& root) : sourceParent_(root + L"\\src"), destination_(root + L"\\dst") {
    entries_ = {
        {L"tree", true, {}},
        {L"tree\\empty.bin", false, {}},
        {L"tree\\one.bin", false, "x"},
        {L"tree\\日本語の名前.txt", false, "こんにちは"},
        {L"tree\\sub", true, {}},
        {L"tree\\sub\\odd.bin", false, PatternBytes(65537, 1)},
        {L"tree\\sub\\deeper", true, {}},
        {L"tree\\sub\\deeper\\big.bin", false, PatternBytes(3 * 1048576 + 7, 2)},
        {L"tree\\nothing", true, {}},
        {L"loose.dat", false, PatternBytes(4096, 3)},
    };
    MakeDir(sourceParent_);
    MakeDir(destination_);
    for (const auto& e : entries_) {
        const std::wstring path = sourceParent_ + L"\\" + e.relative;
        if (e.folder) MakeDir(path);
        else WriteBytes(path, e.bytes);
    }
    sources_ = {sourceParent_ + L"\\tree", sourceParent_ + L"\\loose.dat"};
}

std::vector<std::string> SampleTree::Differences(const std::wstring& destination) const {
    std::vector<std::string> out;
    for (const auto& e : entries_) {
        const std::wstring path = destination + L"\\" + e.relative;
        const std::string name = Utf8(e.relative);
        if (e.folder) {
            if (!IsFolder(path)) out.push_back(name + ": folder missing");
        } else if (!Exists(path) || IsFolder(path)) {
            out.push_back(name + ": file missing");
        } else if (ReadBytes(path) != e.bytes) {
            out.push_back(name + ": other bytes");
        }
    }
    return out;
}

std::vector<std::wstring> SampleTree::SourcesLeft() const {
    std::vector<std::wstring> left;
    for (const auto& source : sources_)
        if (Exists(source)) left.push_back(source);
    return left;
}

}  // namespace quaytest
