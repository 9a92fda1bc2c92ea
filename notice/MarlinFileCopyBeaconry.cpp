#include "MarlinFileCopyBeaconry.h"

#include <climits>

namespace Marlin {

MarlinFileCopyBeaconry::MarlinFileCopyBeaconry()
    : m_start(kLibraryName, "BeaconryStart"), m_end(kLibraryName, "BeaconryEnd") {}

MarlinFileCopyBeaconry::~MarlinFileCopyBeaconry() { NotifyEnd(); }

void MarlinFileCopyBeaconry::NotifyStart(const std::vector<std::wstring>& sources, const std::wstring& destination,
                                         int32_t move) {
    if (!HasLibrary()) return;
    NotifyEnd();
    std::vector<const wchar_t*> paths;
    paths.reserve(sources.size());
    for (const auto& source : sources) paths.push_back(source.c_str());
    // The count is an int; a list that long cannot come from a command line or a drop.
    const int count = sources.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(sources.size());
    m_notice = m_start(paths.empty() ? nullptr : paths.data(), count, destination.c_str(), static_cast<int>(move));
}

void MarlinFileCopyBeaconry::NotifyEnd() {
    if (!HasLibrary() || m_notice == nullptr) return;
    void* notice = m_notice;
    m_notice = nullptr;
    m_end(notice);
}

}  // namespace Marlin
