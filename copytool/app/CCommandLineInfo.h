// The framework's command-line record: CWinApp::ParseCommandLine hands it the program's
// arguments one at a time. A program derives from it and overrides ParseParam to read its
// own grammar; this base only keeps the first plain argument, and knows no switches.
#pragma once

#include <windows.h>

#include <string>

namespace Marlin {

class CCommandLineInfo {
public:
    CCommandLineInfo();
    virtual ~CCommandLineInfo();
    CCommandLineInfo(const CCommandLineInfo&) = default;
    CCommandLineInfo& operator=(const CCommandLineInfo&) = default;

    // One argument. A flag (an argument that began with "-" or "/") arrives without that
    // first character and with bFlag TRUE; bLast is TRUE for the last argument.
    virtual void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast);

    std::wstring m_strFileName;  // the first plain argument, when the base parser runs
};

}  // namespace Marlin
