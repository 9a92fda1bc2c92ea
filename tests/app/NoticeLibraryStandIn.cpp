// A stand-in for the notice library, built as Beaconry.dll next to the test programs: it
// exports nothing and only notes, in the file named by QUAY_NOTICE_LOG, when a process
// loads and frees it. The tests read that to see the program load it from its own folder
// and free it before start-up returns.
#include <windows.h>

#include "UniqueHandle.h"

namespace {

void Note(const char* line) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"QUAY_NOTICE_LOG", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const Marlin::FileHandle log(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return;
    DWORD written = 0;
    WriteFile(log.get(), line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Note("load\n");
    if (reason == DLL_PROCESS_DETACH) Note("free\n");
    return TRUE;
}
