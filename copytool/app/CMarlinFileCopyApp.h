// The copy tool's application object. All of the program's work happens inside
// InitInstance: it prepares the process, reads the command line into one job, runs the
// job in its run mode, undoes the preparations and returns FALSE, so the framework never
// enters a main message loop and the process ends with its one job. The exit code says
// nothing about how the copy went.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CWinApp.h"
#include "DllObject.h"
#include "MarlinFileCopyBeaconry.h"
#include "SluiceCore.h"

namespace Marlin {

class CMarlinFileCopyApp : public CWinApp {
public:
    // The notice library's file, next to the program file.
    static constexpr const wchar_t* kNoticeLibraryName = MarlinFileCopyBeaconry::kLibraryName;

    CMarlinFileCopyApp();
    ~CMarlinFileCopyApp() override;

    BOOL InitInstance() override;

    const DllObject& NoticeLibrary() const { return m_notice; }
    // The engine of the elevated client (run mode 2); the other modes use the progress
    // dialog's own.
    Sluice::SluiceCore& Core() { return m_core; }

private:
    // Run mode 0, and mode 1 once the job has arrived: notice, option, progress dialog.
    void RunJob(const std::vector<std::wstring>& sources, const std::wstring& destination, int32_t move);
    // Run mode 1: receive the job from the shell extension over pipeName, then RunJob.
    void RunShellHandOff(const std::wstring& pipeName);
    // Run mode 2: serve a normal instance's job with administrator rights, without a window.
    void RunElevatedClient(const std::wstring& pipeName);
    // Until the engine thread of m_core has ended.
    void WaitForEngineThread();

    Sluice::SluiceCore m_core;
    DllObject m_notice;
};

}  // namespace Marlin
