#include "WrittenDestinations.h"

#include <windows.h>

#include <vector>

namespace Marlin::Sluice {

void WrittenDestinations::Add(const std::wstring& path) {
    const uint64_t key = Key(path);
    std::lock_guard<std::mutex> guard(lock_);
    keys_.insert(key);
}

bool WrittenDestinations::Contains(const std::wstring& path) const {
    const uint64_t key = Key(path);
    std::lock_guard<std::mutex> guard(lock_);
    return keys_.count(key) != 0;
}

uint64_t WrittenDestinations::Key(const std::wstring& path) {
    // File names compare without case, beyond ASCII too, as the file system's upcase
    // table does it.
    std::vector<wchar_t> upper(path.begin(), path.end());
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t c : upper) {
        hash ^= static_cast<uint16_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace Marlin::Sluice
