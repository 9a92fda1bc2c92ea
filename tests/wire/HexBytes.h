// Byte fixtures for the wire tests, written and compared as "04 00 61 00" text so that a
// failure shows which byte is wrong.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wiretest {

inline std::string Hex(const uint8_t* p, size_t n) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    return s;
}

inline std::string Hex(const std::vector<uint8_t>& v) { return Hex(v.data(), v.size()); }

// "04 00 | 61 00": spaces and bars are only for the reader.
inline std::vector<uint8_t> FromHex(const std::string& text) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

}  // namespace wiretest
