// The framework's application object: one per process, made as a global, found by the
// entry point through CWinApp::Current(). The entry point fills in the instance and the
// arguments, calls InitInstance, and enters the main message loop (Run) only when
// InitInstance returns TRUE; either way ExitInstance gives the process exit code.
//
// A program whose whole work happens inside InitInstance (a modal dialog, say) returns
// FALSE from it, so the process ends with that work.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace Marlin {

class CCommandLineInfo;
class CDialog;

class CWinApp {
public:
    // Registers this object as the process's application; a second live object replaces
    // the first until it goes, so a test may make its own.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Current();

    // Runs the application registered by the global object; the body of wWinMain.
    static int Main(HINSTANCE instance);

    virtual BOOL InitInstance();
    // The main message loop, until WM_QUIT; returns ExitInstance().
    virtual int Run();
    // Returns the process exit code.
    virtual int ExitInstance();

    // Walks m_arguments into info (see ParseArguments).
    void ParseCommandLine(CCommandLineInfo& info) const;
    // Hands each argument to info.ParseParam: one that begins with "-" or "/" as a flag
    // without that first character, and the last one marked as last.
    static void ParseArguments(const std::vector<std::wstring>& arguments, CCommandLineInfo& info);
    // The arguments of a command line after the program name, split the way the system
    // splits them for wmain.
    static std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

    HINSTANCE m_hInstance = nullptr;
    // The program's arguments after its own name; Main fills them from the process's
    // command line, a test may set them directly.
    std::vector<std::wstring> m_arguments;
    // The application's main window while it runs (a modal dialog for a dialog-based
    // program); not owned.
    CDialog* m_pMainWnd = nullptr;

private:
    CWinApp* previous_ = nullptr;
};

}  // namespace Marlin
