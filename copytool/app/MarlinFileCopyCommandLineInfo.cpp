#include "MarlinFileCopyCommandLineInfo.h"

#include <wchar.h>

namespace Marlin {

MarlinFileCopyCommandLineInfo::MarlinFileCopyCommandLineInfo() = default;

MarlinFileCopyCommandLineInfo::~MarlinFileCopyCommandLineInfo() = default;

void MarlinFileCopyCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast) {
    if (!pszParam) return;
    if (bFlag) {
        // Case-insensitive in the invariant sense: switches are ASCII, whatever the user's locale.
        if (::_wcsicmp(pszParam, L"p") == 0) {
            m_nRunMode = ElevatedClient;
            m_bExpectPipeName = 1;
        } else if (::_wcsicmp(pszParam, L"fcp") == 0) {
            m_nRunMode = ShellHandOff;
            m_bExpectPipeName = 1;
        } else if (::_wcsicmp(pszParam, L"m") == 0) {
            m_bMove = 1;
        }
        return;  // unknown switches are ignored
    }
    if (m_bExpectPipeName == 1) {
        m_strPipeName = pszParam;
        m_bExpectPipeName = 0;
    } else if (bLast) {
        m_strDestination = pszParam;
    } else {
        m_sources.emplace_back(pszParam);
    }
}

}  // namespace Marlin
