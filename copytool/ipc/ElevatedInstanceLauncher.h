// Starts the copy tool's own program file as the elevated instance, with "/p" and the
// pipe name. The system's elevation prompt stands between the call and the new process;
// the test machine has no such prompt, so the call itself is the seam a test replaces (a
// refused prompt is the call failing with ERROR_CANCELLED, 1223).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "COSVersion.h"

namespace Marlin {

class ElevatedInstanceLauncher {
public:
    ElevatedInstanceLauncher();  // this system
    explicit ElevatedInstanceLauncher(const COSVersion& system);
    virtual ~ElevatedInstanceLauncher();

    // Fills info (size, SEE_MASK_NOCLOSEPROCESS, the verb, the program, "/p " and the pipe
    // name, SW_SHOW) and starts the program. True when the call succeeded and the instance
    // value it returned is above 32; info.hProcess is then the caller's to close.
    bool Launch(const std::wstring& pipeName, SHELLEXECUTEINFOW& info);

    // "runas" where the system has user-account elevation (major version 6 on), else "open".
    const wchar_t* Verb() const;

protected:
    virtual BOOL Execute(SHELLEXECUTEINFOW& info);
    // The copy tool's own program file.
    virtual std::wstring ProgramPath() const;

private:
    COSVersion system_;
    std::wstring program_;     // kept alive for info.lpFile
    std::wstring parameters_;  // kept alive for info.lpParameters
};

}  // namespace Marlin
