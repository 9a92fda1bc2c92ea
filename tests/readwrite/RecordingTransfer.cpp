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
    if (Count(true) == failWrite_) {
        transferred = 0;
        SetLastError(failWriteError_);
        return Record(true, file, offset, size, transferred, FALSE);
    }
    BOOL ok = CopyItemTransfer::Write(file, offset, buffer, size, transferred);
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
