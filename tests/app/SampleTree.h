// A small real job on disk: a source folder with files of telling sizes (empty, one
// byte, one more than a buffer step, a few MiB), a subfolder chain, an empty folder and a
// Japanese name, plus one loose file; and the check that a destination holds exactly
// their bytes.
#pragma once

#include <string>
#include <vector>

namespace quaytest {

class SampleTree {
public:
    // Creates the sources below root; the destination folder root\dst exists and is empty.
    explicit SampleTree(const std::wstring& root);

    const std::vector<std::wstring>& Sources() const { return sources_; }
    const std::wstring& Destination() const { return destination_; }

    // The differences between the sources and what destination holds of them (relative
    // paths with what is wrong); empty when every file has the same bytes and every
    // folder is there.
    std::vector<std::string> Differences(const std::wstring& destination) const;
    // Which source items still exist (a move leaves none).
    std::vector<std::wstring> SourcesLeft() const;

private:
    struct Entry {
        std::wstring relative;  // below the source's parent: starts with the source's name
        bool folder;
        std::string bytes;
    };
    std::wstring sourceParent_;
    std::wstring destination_;
    std::vector<std::wstring> sources_;
    std::vector<Entry> entries_;
};

}  // namespace quaytest
