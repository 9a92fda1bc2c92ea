#include "FileInformationQuery.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "Paths.h"

namespace Marlin::Sluice {

namespace {

// The information classes GetFileInformationByHandle reads its file fields from.
constexpr int kFileBasicInformation = 4;
constexpr int kFileStandardInformation = 5;
constexpr int kFileInternalInformation = 6;

struct FileBasicInformation {
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    ULONG fileAttributes;
};

struct FileStandardInformation {
    LARGE_INTEGER allocationSize;
    LARGE_INTEGER endOfFile;
    ULONG numberOfLinks;
    BOOLEAN deletePending;
    BOOLEAN directory;
};

struct FileInternalInformation {
    LARGE_INTEGER indexNumber;
};

FILETIME ToFileTime(const LARGE_INTEGER& time) {
    FILETIME out;
    out.dwLowDateTime = time.LowPart;
    out.dwHighDateTime = static_cast<DWORD>(time.HighPart);
    return out;
}

// The folder part of a file or stream path; files of one folder lie on one volume.
std::wstring FolderOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

}  // namespace

FileInformationQuery::FileInformationQuery()
    : queryInformationFile_(L"ntdll.dll", "NtQueryInformationFile") {}

FileInformationQuery::~FileInformationQuery() = default;

bool FileInformationQuery::Query(HANDLE file, const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    std::wstring folder = FolderOf(path);
    const auto known = folder.empty() ? serials_.end()
                                      : std::find_if(serials_.begin(), serials_.end(),
                                                     [&](const Serial& s) { return PathEquals(s.folder, folder); });
    if (known != serials_.end() && QueryFileOnly(file, info)) {
        info.dwVolumeSerialNumber = known->serial;
        std::rotate(serials_.begin(), known, known + 1);
        return true;
    }
    // Unknown folder, or the cheap queries failed: the full call, which also tells why.
    if (!QueryWhole(file, info)) return false;
    if (!folder.empty()) Remember(std::move(folder), info.dwVolumeSerialNumber);
    return true;
}

void FileInformationQuery::Clear() { serials_.clear(); }

BOOL FileInformationQuery::QueryWhole(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
    return ::GetFileInformationByHandle(file, &info);
}

bool FileInformationQuery::QueryFileOnly(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) const {
    if (!queryInformationFile_) return false;
    FileBasicInformation basic{};
    FileStandardInformation standard{};
    FileInternalInformation internal{};
    IoStatusBlock status{};
    // Negative values are errors and warnings (a warning would mean a partial answer).
    if (queryInformationFile_(file, &status, &basic, sizeof basic, kFileBasicInformation) < 0 ||
        queryInformationFile_(file, &status, &standard, sizeof standard, kFileStandardInformation) < 0 ||
        queryInformationFile_(file, &status, &internal, sizeof internal, kFileInternalInformation) < 0)
        return false;
    info.dwFileAttributes = basic.fileAttributes;
    info.ftCreationTime = ToFileTime(basic.creationTime);
    info.ftLastAccessTime = ToFileTime(basic.lastAccessTime);
    info.ftLastWriteTime = ToFileTime(basic.lastWriteTime);
    info.nFileSizeHigh = static_cast<DWORD>(standard.endOfFile.HighPart);
    info.nFileSizeLow = standard.endOfFile.LowPart;
    info.nNumberOfLinks = standard.numberOfLinks;
    info.nFileIndexHigh = static_cast<DWORD>(internal.indexNumber.HighPart);
    info.nFileIndexLow = internal.indexNumber.LowPart;
    return true;
}

void FileInformationQuery::Remember(std::wstring folder, DWORD serial) {
    serials_.erase(std::remove_if(serials_.begin(), serials_.end(),
                                  [&](const Serial& s) { return PathEquals(s.folder, folder); }),
                   serials_.end());
    if (serials_.size() >= RememberedFolders) serials_.pop_back();
    serials_.insert(serials_.begin(), Serial{std::move(folder), serial});
}

}  // namespace Marlin::Sluice
