#include "SeenSourceFile.h"

#include <utility>

#include "Paths.h"
#include "UniqueHandle.h"

namespace Marlin::Sluice {

namespace {

uint64_t Join(DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; }

}  // namespace

SeenSourceFile::SeenSourceFile(std::wstring path, const BY_HANDLE_FILE_INFORMATION& seen)
    : path_(std::move(path)),
      index_(Join(seen.nFileIndexHigh, seen.nFileIndexLow)),
      size_(Join(seen.nFileSizeHigh, seen.nFileSizeLow)),
      lastWrite_(seen.ftLastWriteTime) {}

uint32_t SeenSourceFile::Check() const {
    // Asking takes no access and shares everything: whoever holds the file keeps it, and
    // the delete that follows meets the same sharing rules it always did.
    Marlin::FileHandle file(CreateFileW(ToLongPath(path_).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return GetLastError();
    BY_HANDLE_FILE_INFORMATION now{};
    if (!GetFileInformationByHandle(file.get(), &now)) return GetLastError();
    // The volume serial is left out: the reader may have taken its folder's (see
    // FileInformationQuery), and a file does not change volumes under its name.
    const bool same = Join(now.nFileIndexHigh, now.nFileIndexLow) == index_ &&
                      Join(now.nFileSizeHigh, now.nFileSizeLow) == size_ &&
                      CompareFileTime(&now.ftLastWriteTime, &lastWrite_) == 0;
    return same ? 0 : ChangedError;
}

}  // namespace Marlin::Sluice
