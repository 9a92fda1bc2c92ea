// Counts the changes below a folder (names, sizes, writes) as the file system reports
// them, through a waitable event: the crash matrix's clock, which ticks with the work the
// watched program does on disk rather than with time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace movetest {

class DirectoryWatch {
public:
    explicit DirectoryWatch(const std::wstring& folder);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    bool Watching() const { return watching_; }
    // Signalled when a report has come; Collect then takes it and asks for the next one.
    HANDLE Event() const { return event_.get(); }
    // The changes of the report that came (a lost report, an overflow, counts as one).
    uint64_t Collect();

private:
    bool Ask();

    Marlin::FileHandle folder_;
    Marlin::KernelHandle event_;
    OVERLAPPED overlapped_{};
    std::vector<DWORD> buffer_;
    bool watching_ = false;
};

}  // namespace movetest
