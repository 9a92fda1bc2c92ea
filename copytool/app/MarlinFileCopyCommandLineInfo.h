// The copy tool's command line. Replaces the framework's parser entirely, so none of the
// framework's own switches apply:
//
//   Quaysail [/m] SOURCE... DESTINATION   run mode 0: copy (move with /m) from the command line
//   Quaysail /fcp PIPE                    run mode 1: the shell extension hands the job over PIPE
//   Quaysail /p PIPE                      run mode 2: the elevated client of a normal instance
//
// Flags may be written with "-" as well and in any case. A later "p" or "fcp" overrides an
// earlier one; the plain argument after either is the pipe name, even when it is the last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CCommandLineInfo.h"

namespace Marlin {

class MarlinFileCopyCommandLineInfo : public CCommandLineInfo {
public:
    enum RunMode : int32_t {
        CommandLineCopy = 0,
        ShellHandOff = 1,
        ElevatedClient = 2,
    };

    MarlinFileCopyCommandLineInfo();
    ~MarlinFileCopyCommandLineInfo() override;

    void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) override;

    int32_t m_bExpectPipeName = 0;  // 1: the next plain argument is the pipe name
    int32_t m_nRunMode = CommandLineCopy;
    std::wstring m_strPipeName;
    std::vector<std::wstring> m_sources;  // in command-line order
    std::wstring m_strDestination;
    int32_t m_bMove = 0;
};

}  // namespace Marlin
