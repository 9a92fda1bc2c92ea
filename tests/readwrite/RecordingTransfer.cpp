#include "RecordingTransfer.h"

namespace rwtest {

namespace {

struct IoStatus {
    union {
        LONG status;
        void* pointer;
    };
    ULONG_PTR information;
};
using QueryInformationFile = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
constexpr int kFileModeInformation = 16;
constexpr ULONG kNoIntermediateBuffering = 0x8;

}  // namespace

bool IsUnbuffered(HANDLE file) {
    static auto query = reinterpret_cast<QueryInformationFile>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile"));
    IoStatus status{};
    ULONG mode = 0;
    if (!query || query(file, &status, &mode, sizeof mode, kFileModeInformation) != 0) return false;
    return (mode & kNoIntermediateBuffering) != 0;
}

BOOL RecordingTransfer::Read(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD& transferred) {
    if (Count(false) == failRead_) {
        transferred = 0;
        SetLastError(failReadError_);
        return Record(false, file, offset, size, transferred, FALSE);
    }
    BOOL ok = CopyItemTransfer::Read(file, offset, buffer, size, transferred);
    DWORD error = GetLastError();
    Record(false, file, offset, size, transferred, ok);
    SetLastError(error);
    return ok;
}

BOOL RecordingTransfer::Write(HANDLE file, uint64_t offset, const void* buffer, DWORD size, DWORD& transferred) {
    const size_t index = Count(true);
    if (index == failWrite_ || offset + size > largest_) {
        transferred = 0;
        SetLastError(index == failWrite_ ? failWriteError_ : ERROR_FILE_TOO_LARGE);
        return Record(true, file, offset, size, transferred, FALSE);
    }
    // The request is recorded with the size asked for, and transferred says what was taken.
    const DWORD taken = index == shortWrite_ && shortWriteTaken_ < size ? shortWriteTaken_ : size;
    BOOL ok = CopyItemTransfer::Write(file, offset, buffer, taken, transferred);
    DWORD error = GetLastError();
    Record(true, file, offset, size, transferred, ok);
    SetLastError(error);
    return ok;
}

void RecordingTransfer::FailRead(size_t index, DWORD error) {
    failRead_ = index;
    failReadError_ = error;
}

void RecordingTransfer::FailWrite(size_t index, DWORD error) {
    failWrite_ = index;
    failWriteError_ = error;
}

void RecordingTransfer::ShortenWrite(size_t index, DWORD taken) {
    shortWrite_ = index;
    shortWriteTaken_ = taken;
}

bool RecordingTransfer::VolumeTakes(const std::wstring&, uint64_t size) { return size <= largest_; }

std::vector<RecordingTransfer::Request> RecordingTransfer::Reads() const {
    std::vector<Request> out;
    for (const auto& r : requests_)
        if (!r.write) out.push_back(r);
    return out;
}

std::vector<RecordingTransfer::Request> RecordingTransfer::Writes() const {
    std::vector<Request> out;
    for (const auto& r : requests_)
        if (r.write) out.push_back(r);
    return out;
}

BOOL RecordingTransfer::Record(bool write, HANDLE file, uint64_t offset, DWORD size, DWORD& transferred, BOOL ok) {
    DWORD error = GetLastError();
    requests_.push_back(Request{write, offset, size, transferred, ok != FALSE, IsUnbuffered(file)});
    SetLastError(error);
    return ok;
}

size_t RecordingTransfer::Count(bool write) const {
    size_t n = 0;
    for (const auto& r : requests_)
        if (r.write == write) ++n;
    return n;
}

}  // namespace rwtest
