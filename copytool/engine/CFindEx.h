// A directory search over FindFirstFileExW / FindNextFileW that keeps one entry in hand:
// FindFile finds the first entry, each FindNextFile makes the entry found so far the
// current one and looks ahead for the following one, so a caller knows whether the current
// entry is the last while it still reads it. Paths come and go without the "\\?\" prefix;
// the search itself always uses it.
//
// <windows.h> maps FindNextFile to FindNextFileW; every user includes it through this
// header, so the member is consistently named FindNextFileW underneath.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "UniqueHandle.h"

namespace Marlin::Sluice {

class CFindEx {
public:
    CFindEx() = default;
    CFindEx(const CFindEx&) = delete;
    CFindEx& operator=(const CFindEx&) = delete;
    virtual ~CFindEx();

    // Starts a search for pattern (a folder followed by "\*", or the path of one entry).
    // True when a first entry was found; otherwise GetLastError() tells why (an empty
    // pattern: ERROR_BAD_ARGUMENTS). Any earlier search is closed first.
    virtual bool FindFile(const std::wstring& pattern);
    // Makes the entry found next the current one; true when a following entry exists. After
    // false the current entry stays readable, and SearchError tells whether the search
    // reached its end or broke off.
    virtual bool FindNextFile();
    // The error that broke the search off before its end (a folder that went away, a
    // network share that dropped); ERROR_SUCCESS while it runs and after a complete search.
    DWORD SearchError() const { return searchError_; }
    // Ends the search; the current entry stays readable.
    void Close();

    std::wstring GetFileName() const;
    // The search's folder and the current entry's name; empty when there is no current entry.
    std::wstring GetFilePath() const;
    // The folder being searched, with its trailing backslash.
    const std::wstring& GetRoot() const { return root_; }
    DWORD GetAttributes() const { return current_.dwFileAttributes; }
    int64_t GetSize() const;
    bool IsDirectory() const { return (current_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // "." or "..", which a folder lists for itself and its parent.
    bool IsDots() const;

protected:
    // The platform's calls, for a test to break a real search off where a damaged disk or a
    // dropped share would: FindFirstFileExW on the "\\?\" form of the pattern, FindNextFileW.
    virtual HANDLE FindFirst(const std::wstring& longPattern, WIN32_FIND_DATAW& data);
    virtual BOOL FindNext(HANDLE search, WIN32_FIND_DATAW& data);

private:
    Marlin::FindHandle handle_;
    WIN32_FIND_DATAW next_{};
    WIN32_FIND_DATAW current_{};
    bool hasNext_ = false;
    DWORD searchError_ = ERROR_SUCCESS;
    std::wstring root_;
};

// Makes the search each level of an enumeration uses; empty: a plain CFindEx. A test
// hands in a search that breaks off where a damaged disk or a dropped share would.
using SearchMaker = std::function<std::unique_ptr<CFindEx>()>;
std::unique_ptr<CFindEx> MakeSearch(const SearchMaker& maker);

}  // namespace Marlin::Sluice
