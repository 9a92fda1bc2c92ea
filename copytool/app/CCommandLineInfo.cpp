#include "CCommandLineInfo.h"

namespace Marlin {

CCommandLineInfo::CCommandLineInfo() = default;

CCommandLineInfo::~CCommandLineInfo() = default;

void CCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL /*bLast*/) {
    if (!bFlag && pszParam && m_strFileName.empty()) m_strFileName = pszParam;
}

}  // namespace Marlin
