#include "TestFiles.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "TestHarness.h"

namespace quaytest {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::wstring LinuxPathOnZ(const std::string& linuxPath) {
    std::wstring path = Widen(linuxPath);
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return L"Z:" + path;
}

static std::wstring Long(const std::wstring& p) {
    if (p.rfind(L"\\\\", 0) == 0) return p;
    return L"\\\\?\\" + p;
}

TempDir::TempDir(wchar_t drive) {
    static std::atomic<unsigned> counter{0};
    std::wstring base = std::wstring(1, drive) + L":\\quaytest";
    CreateDirectoryW(base.c_str(), nullptr);
    wchar_t name[64];
    swprintf(name, 64, L"\\t%lu-%u-%lu", GetCurrentProcessId(), counter++, GetTickCount());
    path_ = base + name;
    if (!CreateDirectoryW(path_.c_str(), nullptr)) {
        ReportFailure(__FILE__, __LINE__, "cannot create test folder " + Utf8(path_));
        throw Failure{};
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

void MakeDir(const std::wstring& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\') CreateDirectoryW(Long(path.substr(0, i)).c_str(), nullptr);
    }
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    Marlin::FileHandle h(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        ReportFailure(__FILE__, __LINE__, "cannot create " + Utf8(path) + " error " + std::to_string(GetLastError()));
        throw Failure{};
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24)), wrote = 0;
        if (!::WriteFile(h.get(), bytes.data() + done, part, &wrote, nullptr) || wrote == 0) {
            ReportFailure(__FILE__, __LINE__, "cannot write " + Utf8(path));
            throw Failure{};
        }
        done += wrote;
    }
}

std::string ReadBytes(const std::wstring& path) {
    Marlin::FileHandle h(CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        ReportFailure(__FILE__, __LINE__, "cannot open " + Utf8(path) + " error " + std::to_string(GetLastError()));
        throw Failure{};
    }
    std::string out;
    char buf[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(h.get(), buf, sizeof buf, &got, nullptr)) {
            ReportFailure(__FILE__, __LINE__, "cannot read " + Utf8(path));
            throw Failure{};
        }
        if (got == 0) break;
        out.append(buf, got);
    }
    return out;
}

std::string PatternBytes(size_t size, uint32_t seed) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<char>(x);
    }
    return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(Long(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::wstring& path) {
    std::wstring lp = Long(path);
    DWORD a = GetFileAttributesW(lp.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(lp.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(lp.c_str());
        return;
    }
    for (const auto& name : ListNames(path)) RemoveTree(path + L"\\" + name);
    RemoveDirectoryW(lp.c_str());
}

std::vector<std::wstring> ListNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    Marlin::FindHandle f(FindFirstFileW((Long(folder) + L"\\*").c_str(), &fd));
    if (!f) return names;
    do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(n);
    } while (FindNextFileW(f.get(), &fd));
    std::sort(names.begin(), names.end());
    return names;
}

Marlin::KernelHandle StartChild(const std::string& name, const std::vector<std::string>& args) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --child " + Widen(name);
    for (const auto& a : args) cmd += L" \"" + Widen(a) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(self, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ReportFailure(__FILE__, __LINE__, "cannot start child " + name);
        throw Failure{};
    }
    Marlin::KernelHandle thread(pi.hThread);
    return Marlin::KernelHandle(pi.hProcess);
}

long WaitExit(const Marlin::KernelHandle& process, DWORD milliseconds) {
    if (WaitForSingleObject(process.get(), milliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 97);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<long>(code);
}

FILETIME Moment(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

void SetLastWriteTime(const std::wstring& path, const FILETIME& time) {
    Marlin::FileHandle file(CreateFileW(Long(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file || !SetFileTime(file.get(), nullptr, nullptr, &time)) FAIL("cannot set the time of " + Utf8(path));
}

std::string Show(const FILETIME& time) {
    SYSTEMTIME st{};
    FileTimeToSystemTime(&time, &st);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond, st.wMilliseconds);
    return text;
}

}  // namespace quaytest
