#include "BreakingSearch.h"

#include <utility>

namespace enumtest {

BreakingSearch::BreakingSearch(std::shared_ptr<Breakage> breakage) : breakage_(std::move(breakage)) {}

BreakingSearch::~BreakingSearch() = default;

Marlin::Sluice::SearchMaker BreakingSearch::Maker(const std::shared_ptr<Breakage>& breakage) {
    return [breakage] { return std::make_unique<BreakingSearch>(breakage); };
}

HANDLE BreakingSearch::FindFirst(const std::wstring& longPattern, WIN32_FIND_DATAW& data) {
    breaks_ = breakage_->broken < breakage_->times && longPattern == L"\\\\?\\" + breakage_->pattern;
    entries_ = 0;
    if (breaks_ && breakage_->entriesFirst < 0) {
        ++breakage_->broken;
        SetLastError(breakage_->error);
        return INVALID_HANDLE_VALUE;
    }
    return CFindEx::FindFirst(longPattern, data);
}

BOOL BreakingSearch::FindNext(HANDLE search, WIN32_FIND_DATAW& data) {
    // FindFirst handed out the first entry.
    if (breaks_ && ++entries_ >= breakage_->entriesFirst) {
        ++breakage_->broken;
        breaks_ = false;
        SetLastError(breakage_->error);
        return FALSE;
    }
    return CFindEx::FindNext(search, data);
}

}  // namespace enumtest
