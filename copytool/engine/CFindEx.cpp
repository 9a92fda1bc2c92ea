#include "CFindEx.h"

#include <utility>

#include "Paths.h"

namespace Marlin::Sluice {

CFindEx::~CFindEx() = default;

bool CFindEx::FindFile(const std::wstring& pattern) {
    Close();
    searchError_ = ERROR_SUCCESS;
    current_ = WIN32_FIND_DATAW{};
    next_ = WIN32_FIND_DATAW{};
    root_.clear();
    if (pattern.empty()) {
        SetLastError(ERROR_BAD_ARGUMENTS);
        return false;
    }
    // The entries' paths must extend the searched folder's text exactly (the items are
    // placed by cutting their parent's path off), so an absolute pattern is taken as it is
    // and only a relative one is resolved.
    const std::wstring plain = RemoveLongPathPrefix(pattern);
    const bool asGiven = IsAbsolutePath(plain) && plain.find(L'/') == std::wstring::npos;
    const std::wstring full = asGiven ? plain : MakeAbsolutePath(plain);
    const size_t cut = full.find_last_of(L'\\');
    root_ = cut == std::wstring::npos ? std::wstring() : full.substr(0, cut + 1);

    HANDLE h = FindFirst(ToLongPath(full), next_);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_.reset(h);
    hasNext_ = true;
    return true;
}

bool CFindEx::FindNextFile() {
    if (!hasNext_) return false;
    current_ = next_;
    if (FindNext(handle_.get(), next_)) return true;
    hasNext_ = false;
    // Closing would replace ERROR_NO_MORE_FILES (or whatever ended the search) as the reason.
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) searchError_ = error;
    handle_.reset();
    SetLastError(error);
    return false;
}

HANDLE CFindEx::FindFirst(const std::wstring& longPattern, WIN32_FIND_DATAW& data) {
    // The basic information level leaves out the 8.3 name, which nobody here reads, and the
    // large fetch asks for bigger batches: both make the walk of a big tree cheaper.
    return FindFirstFileExW(longPattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

BOOL CFindEx::FindNext(HANDLE search, WIN32_FIND_DATAW& data) { return ::FindNextFileW(search, &data); }

void CFindEx::Close() {
    handle_.reset();
    hasNext_ = false;
}

std::unique_ptr<CFindEx> MakeSearch(const SearchMaker& maker) {
    std::unique_ptr<CFindEx> search = maker ? maker() : nullptr;
    return search ? std::move(search) : std::make_unique<CFindEx>();
}

std::wstring CFindEx::GetFileName() const { return current_.cFileName; }

std::wstring CFindEx::GetFilePath() const {
    const std::wstring name = GetFileName();
    if (name.empty()) return name;
    if (!root_.empty() && root_.back() != L'\\') return root_ + L'\\' + name;
    return root_ + name;
}

int64_t CFindEx::GetSize() const {
    return static_cast<int64_t>((static_cast<uint64_t>(current_.nFileSizeHigh) << 32) | current_.nFileSizeLow);
}

bool CFindEx::IsDots() const {
    const wchar_t* n = current_.cFileName;
    return n[0] == L'.' && (n[1] == L'\0' || (n[1] == L'.' && n[2] == L'\0'));
}

}  // namespace Marlin::Sluice
