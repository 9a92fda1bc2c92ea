#include "ServiceFixtures.h"

#include <atomic>
#include <cstdio>

namespace svctest {

std::wstring UniquePipeName(const char* tag) {
    static std::atomic<unsigned> counter{0};
    wchar_t name[128];
    swprintf(name, 128, L"\\\\.\\pipe\\quaykeep-test-%hs-%lu-%u", tag, GetCurrentProcessId(), counter++);
    return name;
}

std::vector<uint8_t> Le32(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char two[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        if (i) out += ' ';
        out += two;
    }
    return out;
}

}  // namespace svctest
