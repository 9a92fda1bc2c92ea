// The reader's source information for the header record: what GetFileInformationByHandle
// reports for an open file, byte for byte, at a fraction of its cost.
//
// GetFileInformationByHandle asks the file for its attributes, times, size, link count and
// index, and then asks the volume for its serial number. The volume question is the
// expensive part (on Wine it travels to the mount manager in another process and costs
// hundreds of microseconds, more than opening, reading and closing a small file), and its
// answer is the same for every file of a folder. So the serial is asked once per folder
// (with the full call, whose answer is then exact for that file) and remembered for the
// next files of the same folder; the rest comes from three file queries that stay in the
// calling process. A file that is reached through a symbolic link to another volume still
// gets the serial of its folder's volume; nothing in the copy reads that field.
//
// Whenever the cheap queries are missing or fail, the full call answers instead. One per
// reader; not thread-safe.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "DynamicFunctionObject.h"

namespace Marlin::Sluice {

class FileInformationQuery {
public:
    // Folders remembered at a time: enough for the folders a pre-order walk comes back to.
    static constexpr size_t RememberedFolders = 16;

    FileInformationQuery();
    virtual ~FileInformationQuery();
    FileInformationQuery(const FileInformationQuery&) = delete;
    FileInformationQuery& operator=(const FileInformationQuery&) = delete;

    // Fills info for file, which was opened by path. Returns false with the platform's
    // last error set when the file cannot be asked.
    bool Query(HANDLE file, const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info);
    // Forgets every remembered serial number.
    void Clear();
    // Number of folders whose serial number is remembered.
    size_t RememberedCount() const { return serials_.size(); }

protected:
    // The full platform call; a test may count it.
    virtual BOOL QueryWhole(HANDLE file, BY_HANDLE_FILE_INFORMATION& info);

private:
    struct IoStatusBlock {
        union {
            LONG status;
            void* pointer;
        };
        ULONG_PTR information;
    };
    using NtQueryInformationFileCall = LONG WINAPI(HANDLE, IoStatusBlock*, void*, ULONG, int);

    struct Serial {
        std::wstring folder;
        DWORD serial;
    };

    // Everything but the serial number from the file itself; false when a query fails.
    bool QueryFileOnly(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) const;
    void Remember(std::wstring folder, DWORD serial);

    DynamicFunctionObject<NtQueryInformationFileCall> queryInformationFile_;
    std::vector<Serial> serials_;  // most recently used first
};

}  // namespace Marlin::Sluice
