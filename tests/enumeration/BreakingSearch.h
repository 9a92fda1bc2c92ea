// A real folder search that breaks off where a damaged disk or a dropped share would. Under
// Wine processes run as root, so no folder refuses its listing and no share drops: only
// the platform call that breaks is replaced, everything else is listed for real.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "CFindEx.h"

namespace enumtest {

// Where and how often the searches of one walk break off; shared by all of them.
struct Breakage {
    std::wstring pattern;  // the search that breaks: folder\* lists a folder, a plain path finds a source
    DWORD error = ERROR_ACCESS_DENIED;
    int entriesFirst = -1;  // -1: the search cannot even start; n: it breaks after n entries, . and .. included
    int times = 1;          // searches of that pattern that break; later ones run normally
    int broken = 0;         // how many did
};

class BreakingSearch : public Marlin::Sluice::CFindEx {
public:
    explicit BreakingSearch(std::shared_ptr<Breakage> breakage);
    ~BreakingSearch() override;

    // A maker for FindCopyItem::Calls::search and the algorithm's SetSearch.
    static Marlin::Sluice::SearchMaker Maker(const std::shared_ptr<Breakage>& breakage);

protected:
    HANDLE FindFirst(const std::wstring& longPattern, WIN32_FIND_DATAW& data) override;
    BOOL FindNext(HANDLE search, WIN32_FIND_DATAW& data) override;

private:
    std::shared_ptr<Breakage> breakage_;
    bool breaks_ = false;
    int entries_ = 0;
};

}  // namespace enumtest
