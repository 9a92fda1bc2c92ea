#include "BuildFiles.h"

#include <windows.h>

#include "TestFiles.h"
#include "TestHarness.h"

namespace quaytest {

std::wstring BuildFile(const char* linuxPath) {
    std::wstring path = Widen(linuxPath);
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return L"Z:" + path;
}

std::wstring QuaysailFile() { return BuildFile(QUAYTEST_QUAYSAIL_EXE); }
std::wstring NoticeLibraryFile() { return BuildFile(QUAYTEST_BEACONRY_DLL); }
std::wstring LoggingServiceFile() { return BuildFile(QUAYTEST_LOGGING_SERVICE_EXE); }

ProgramFolder::ProgramFolder(const std::wstring& folder, bool withNoticeLibrary) : program_(folder + L"\\Quaysail.exe") {
    MakeDir(folder);
    if (!CopyFileW(QuaysailFile().c_str(), program_.c_str(), TRUE))
        FAIL("cannot copy Quaysail.exe: error " + std::to_string(GetLastError()));
    if (withNoticeLibrary &&
        !CopyFileW(NoticeLibraryFile().c_str(), (folder + L"\\Beaconry.dll").c_str(), TRUE))
        FAIL("cannot copy Beaconry.dll: error " + std::to_string(GetLastError()));
}

Marlin::KernelHandle ProgramFolder::Start(const std::vector<std::wstring>& arguments) const {
    std::wstring parameters;
    for (const auto& a : arguments) parameters += (parameters.empty() ? L"\"" : L" \"") + a + L"\"";
    return StartWithParameters(parameters);
}

Marlin::KernelHandle ProgramFolder::StartWithParameters(const std::wstring& parameters) const {
    std::wstring line = L"\"" + program_ + L"\" " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        FAIL("cannot start " + Utf8(program_) + ": error " + std::to_string(GetLastError()));
    Marlin::KernelHandle thread(info.hThread);
    return Marlin::KernelHandle(info.hProcess);
}

long ProgramFolder::Run(const std::vector<std::wstring>& arguments) const { return WaitExit(Start(arguments), 120000); }

}  // namespace quaytest
