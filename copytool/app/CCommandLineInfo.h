// The framework's command-line record: CWinApp::ParseCommandLine hands it the program's
// arguments one at a time. It has no grammar of its own; a program derives from it and
// reads its grammar in ParseParam.
#pragma once

#include <windows.h>

namespace Marlin {

class CCommandLineInfo {
public:
    CCommandLineInfo() = default;
    virtual ~CCommandLineInfo() = default;
    CCommandLineInfo(const CCommandLineInfo&) = default;
    CCommandLineInfo& operator=(const CCommandLineInfo&) = default;

    // One argument. A flag (an argument that began with "-" or "/") arrives without that
    // first character and with bFlag TRUE; bLast is TRUE for the last argument.
    virtual void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) = 0;
};

}  // namespace Marlin
