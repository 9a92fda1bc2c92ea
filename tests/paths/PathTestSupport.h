// Small helpers shared by the path tests.
#pragma once

#include <windows.h>

#include <string>

#include "TestHarness.h"

namespace pathtest {

// The same path with its ASCII letters in upper case: Windows treats both as one path.
inline std::wstring Upper(std::wstring text) {
    for (auto& c : text)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

// A drive letter that the test prefix does not map.
inline wchar_t MissingDriveLetter() {
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        wchar_t root[] = {letter, L':', L'\\', 0};
        if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) return letter;
    }
    FAIL("every drive letter from Q to Y is mapped");
}

inline std::string Show(const std::wstring& text) { return quaytest::Utf8(text); }

}  // namespace pathtest
