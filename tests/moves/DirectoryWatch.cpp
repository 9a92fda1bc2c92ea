#include "DirectoryWatch.h"

namespace movetest {

namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

DirectoryWatch::DirectoryWatch(const std::wstring& folder)
    : folder_(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)),
      event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      buffer_(16 * 1024) {
    watching_ = folder_ && event_ && Ask();
}

DirectoryWatch::~DirectoryWatch() {
    if (!watching_) return;
    // The request writes into buffer_ until it is cancelled and has ended.
    DWORD ignored = 0;
    if (CancelIoEx(folder_.get(), &overlapped_) || GetLastError() != ERROR_NOT_FOUND)
        GetOverlappedResult(folder_.get(), &overlapped_, &ignored, TRUE);
}

bool DirectoryWatch::Ask() {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    ResetEvent(event_.get());
    return ReadDirectoryChangesW(folder_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size() * sizeof(DWORD)),
                                 TRUE, kChanges, nullptr, &overlapped_, nullptr) != FALSE;
}

uint64_t DirectoryWatch::Collect() {
    if (!watching_) return 0;
    DWORD bytes = 0;
    if (!GetOverlappedResult(folder_.get(), &overlapped_, &bytes, FALSE)) {
        if (GetLastError() == ERROR_IO_INCOMPLETE) return 0;
        bytes = 0;
    }
    uint64_t changes = 0;
    if (bytes == 0) {
        changes = 1;  // more than the buffer held: the report was dropped
    } else {
        const auto* base = reinterpret_cast<const unsigned char*>(buffer_.data());
        for (DWORD offset = 0;;) {
            ++changes;
            const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
            if (record->NextEntryOffset == 0 || offset + record->NextEntryOffset >= bytes) break;
            offset += record->NextEntryOffset;
        }
    }
    watching_ = Ask();
    return changes;
}

}  // namespace movetest
