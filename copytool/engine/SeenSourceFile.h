// A moved source file as the reader saw it when it opened the file: its index on the
// volume, its size and its last-write time. The copy is made of those bytes; deleting the
// source is right only while the file is still that one. A file appended to, cut short or
// replaced by a save (a new file under the old name) in the meantime differs in one of
// them, and must stay: its copy holds the old content.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace Marlin::Sluice {

class SeenSourceFile {
public:
    // The platform error of a source that is no longer what was copied: ERROR_FILE_INVALID,
    // whose system text says the file was altered from outside so that what was opened is
    // no longer valid.
    static constexpr uint32_t ChangedError = ERROR_FILE_INVALID;

    SeenSourceFile() = default;
    SeenSourceFile(std::wstring path, const BY_HANDLE_FILE_INFORMATION& seen);

    const std::wstring& Path() const { return path_; }
    bool Empty() const { return path_.empty(); }
    // 0 while the file at Path is the one seen; ChangedError when it is another or has
    // changed; the platform's error when it cannot be asked (then it cannot be shown to be
    // the one seen either).
    uint32_t Check() const;

private:
    std::wstring path_;
    uint64_t index_ = 0;
    uint64_t size_ = 0;
    FILETIME lastWrite_{};
};

}  // namespace Marlin::Sluice
