// Quaydrop.dll with the tests' hand-off client in the copy tool's place: the client
// follows a script (see HandOffClient.cpp) and records the replies it gets, so a test sees
// exactly what the handler handed over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace droptest {

struct HandOffRecorder {
    quaytest::TempDir c{L'C'};
    std::wstring program = c / L"program";  // Quaydrop.dll and the client as Quaysail.exe
    std::wstring record = c / L"record.txt";

    explicit HandOffRecorder(const wchar_t* script);
    // The replies recorded, one hex line each, or "(nothing)".
    std::string Recorded() const;
    // The lines of the replies to requests 2, 3 and 4 for this job.
    static std::string Expected(const std::vector<std::wstring>& sources, const std::wstring& target,
                                int32_t operation);
};

}  // namespace droptest
