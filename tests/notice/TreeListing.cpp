#include "TreeListing.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "UniqueHandle.h"

namespace quaytest {

namespace {

std::string Utf8Of(const std::wstring& s) {
    if (s.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void Walk(const std::wstring& folder, const std::wstring& relative, std::vector<std::string>& lines) {
    WIN32_FIND_DATAW found{};
    Marlin::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines.push_back(Utf8Of(path) + "\\");
            Walk(folder + L"\\" + name, path, lines);
        } else {
            const unsigned long long size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            lines.push_back(Utf8Of(path) + " " + std::to_string(size));
        }
    } while (FindNextFileW(find.get(), &found));
}

}  // namespace

std::string TreeListing(const std::wstring& folder) {
    std::vector<std::string> lines;
    Walk(folder, std::wstring(), lines);
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const auto& line : lines) out += line + "\n";
    return out;
}

}  // namespace quaytest
