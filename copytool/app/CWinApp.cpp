#include "CWinApp.h"

#include <shellapi.h>

#include "CCommandLineInfo.h"
#include "UniqueHandle.h"

namespace Marlin {

namespace {

CWinApp* g_current = nullptr;

}  // namespace

CWinApp::CWinApp() : previous_(g_current) { g_current = this; }

CWinApp::~CWinApp() {
    if (g_current == this) g_current = previous_;
}

CWinApp* CWinApp::Current() { return g_current; }

int CWinApp::Main(HINSTANCE instance) {
    CWinApp* app = Current();
    if (!app) return 1;
    app->m_hInstance = instance;
    app->m_arguments = SplitCommandLine(::GetCommandLineW());
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

BOOL CWinApp::InitInstance() {
    if (!m_hInstance) m_hInstance = ::GetModuleHandleW(nullptr);
    return TRUE;
}

int CWinApp::Run() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const { ParseArguments(m_arguments, info); }

void CWinApp::ParseArguments(const std::vector<std::wstring>& arguments, CCommandLineInfo& info) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const BOOL last = (i + 1 == arguments.size()) ? TRUE : FALSE;
        if (!argument.empty() && (argument[0] == L'-' || argument[0] == L'/'))
            info.ParseParam(argument.c_str() + 1, TRUE, last);
        else
            info.ParseParam(argument.c_str(), FALSE, last);
    }
}

std::vector<std::wstring> CWinApp::SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    if (!commandLine || !*commandLine) return arguments;
    int count = 0;
    const LocalMemory<LPWSTR> split(::CommandLineToArgvW(commandLine, &count));
    if (!split) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(split.get()[i]);
    return arguments;
}

}  // namespace Marlin
