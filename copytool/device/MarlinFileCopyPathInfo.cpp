#include "MarlinFileCopyPathInfo.h"

namespace Marlin {

MarlinFileCopyPathInfo::~MarlinFileCopyPathInfo() = default;

wchar_t MarlinFileCopyPathInfo::GetDriveLetter() const {
    if (path.empty()) return 0;
    const wchar_t first = path[0];
    if ((first >= L'A' && first <= L'Z') || (first >= L'a' && first <= L'z')) return first;
    return 0;
}

}  // namespace Marlin
