#include "CMarlinFileCopyApp.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <clocale>

#include "CMarlinFileCopyDlg.h"
#include "CreateSluiceOptionElevateClient.h"
#include "MarlinFileCopyBeaconry.h"
#include "MarlinFileCopyCommandLineInfo.h"
#include "Paths.h"
#include "RunSluiceClient.h"
#include "ShellFunctions.h"
#include "SluiceCopyAlgorithmMultiThreadElevateClient.h"
#include "SluiceCoreEventElevateClientHandler.h"
#include "TraceCaught.h"

namespace Marlin {

CMarlinFileCopyApp::CMarlinFileCopyApp() = default;

// m_notice frees a library still held, m_core waits for an engine thread still running.
CMarlinFileCopyApp::~CMarlinFileCopyApp() = default;

BOOL CMarlinFileCopyApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;  // the progress bar among them
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();

    // The size texts print their decimals in the user's own format.
    ::_wsetlocale(LC_ALL, L"");

    const HRESULT com = ::CoInitialize(nullptr);

    // Display names need SHCreateItemFromParsingName, which older systems lack.
    ResolveShellFunctions();

    // The notice library is optional: without it the notice calls find no functions.
    std::wstring folder = GetModuleFolder();
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    m_notice.SetPath(folder + kNoticeLibraryName);
    if (!m_notice.Handle()) m_notice.Load();

    MarlinFileCopyCommandLineInfo commandLine;
    ParseCommandLine(commandLine);

    // The system must not go to sleep under a running copy.
    ::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);

    try {
        switch (commandLine.m_nRunMode) {
        case MarlinFileCopyCommandLineInfo::ShellHandOff:
            RunShellHandOff(commandLine.m_strPipeName);
            break;
        case MarlinFileCopyCommandLineInfo::ElevatedClient:
            RunElevatedClient(commandLine.m_strPipeName);
            break;
        default:
            RunJob(commandLine.m_sources, commandLine.m_strDestination, commandLine.m_bMove);
            break;
        }
    } catch (...) {
        // Nothing is reported from here: the dialog has shown what the user needs to know,
        // and the preparations below must be undone whatever happened.
        TraceCaught(L"CMarlinFileCopyApp::InitInstance");
    }

    m_notice.Free();
    ::SetThreadExecutionState(ES_CONTINUOUS);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return FALSE;
}

void CMarlinFileCopyApp::RunJob(const std::vector<std::wstring>& sources, const std::wstring& destination,
                                int32_t move) {
    // The notice comes before the job is checked, so a job without sources is reported
    // too (the library itself then reports nothing).
    MarlinFileCopyBeaconry notice;
    notice.NotifyStart(sources, destination, move);

    if (!sources.empty() && !destination.empty()) {
        CMarlinFileCopyDlg dialog;
        if (dialog.CreateSluiceOption(sources, destination, move) == 1) {
            m_pMainWnd = &dialog;
            dialog.DoModal();
            m_pMainWnd = nullptr;
        }
    }  // the dialog goes here, before the notice's end call

    notice.NotifyEnd();
}

void CMarlinFileCopyApp::RunShellHandOff(const std::wstring& pipeName) {
    // The client has closed the pipe when ReceiveJob returns; a pipe that cannot be opened
    // or a conversation that fails ends the run quietly, without a notice.
    RunSluiceClient::Job job;
    if (!RunSluiceClient(pipeName).ReceiveJob(job)) return;
    RunJob(job.sources, job.destination, job.operation);
}

void CMarlinFileCopyApp::RunElevatedClient(const std::wstring& pipeName) {
    // No notice and no window in this mode: the normal instance shows everything. Whatever
    // fails here ends the run quietly; the normal instance sees this process end.
    Sluice::SluiceCopyAlgorithmMultiThreadElevateClient client(pipeName);
    // The normal instance listens before it launches this one, so one attempt is enough.
    if (client.Open() != 1) return;
    // A pipe of that name created by any process but the named one is not taken up: this
    // process has administrator rights, and the job would be that other program's.
    if (client.ServerIsNamedProcess() && client.QueryVersion() && !m_core.HasThread()) {
        Sluice::SluiceCoreEventElevateClientHandler relay(client);
        try {
            Sluice::CreateSluiceOptionElevateClient creator(client);
            if (creator.Create() == 1 && m_core.SetOption(creator.GetOption())) {
                m_core.SetObserver(&relay);
                m_core.SetPipe(&client);
                if (m_core.Start() == 1) WaitForEngineThread();
            }
        } catch (...) {
            TraceCaught(L"CMarlinFileCopyApp::RunElevatedClient");
            WaitForEngineThread();
        }
        m_core.SetObserver(nullptr);
        m_core.SetPipe(nullptr);
    }
    client.Close();
}

void CMarlinFileCopyApp::WaitForEngineThread() {
    KernelHandle thread = m_core.ThreadWaitHandle();
    if (thread && ::WaitForSingleObject(thread.get(), INFINITE) == WAIT_OBJECT_0) return;
    // Without a handle to wait on, the engine must still be done with the observer and the
    // client before they go.
    while (m_core.HasThread()) ::Sleep(10);
}

}  // namespace Marlin
