#include "ElevatedInstanceLauncher.h"

#include "Paths.h"
#include "UniqueHandle.h"

namespace Marlin {

ElevatedInstanceLauncher::ElevatedInstanceLauncher() = default;

ElevatedInstanceLauncher::ElevatedInstanceLauncher(const COSVersion& system) : system_(system) {}

ElevatedInstanceLauncher::~ElevatedInstanceLauncher() = default;

const wchar_t* ElevatedInstanceLauncher::Verb() const { return system_.MajorVersion() >= 6 ? L"runas" : L"open"; }

bool ElevatedInstanceLauncher::Launch(const std::wstring& pipeName, SHELLEXECUTEINFOW& info) {
    program_ = ProgramPath();
    parameters_ = L"/p " + pipeName;
    info = SHELLEXECUTEINFOW{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = Verb();
    info.lpFile = program_.c_str();
    info.lpParameters = parameters_.c_str();
    info.nShow = SW_SHOW;
    if (!Execute(info)) {
        info.hProcess = nullptr;
        return false;
    }
    if (reinterpret_cast<INT_PTR>(info.hInstApp) <= 32) {
        // A process may still have come: it is not ours to serve, but its handle is ours to close.
        KernelHandle stray(info.hProcess);
        info.hProcess = nullptr;
        return false;
    }
    return true;
}

BOOL ElevatedInstanceLauncher::Execute(SHELLEXECUTEINFOW& info) { return ::ShellExecuteExW(&info); }

std::wstring ElevatedInstanceLauncher::ProgramPath() const { return GetModuleFilePath(); }

}  // namespace Marlin
