// Files of the build (the copy tool, its notice library, the test programs) as the test
// programs under Wine reach them, and a folder of a test's own holding the copy tool.
#pragma once

#include <string>
#include <vector>

#include "UniqueHandle.h"

namespace quaytest {

// A file the build made, given by its Linux path: Wine's Z: drive is the Linux root.
std::wstring BuildFile(const char* linuxPath);
// The copy tool, its notice library and the logging service stand-in as the build made them.
std::wstring QuaysailFile();
std::wstring NoticeLibraryFile();
std::wstring LoggingServiceFile();

// The real Quaysail.exe copied into a folder of the test's own, with the real
// Beaconry.dll beside it or without it.
class ProgramFolder {
public:
    ProgramFolder(const std::wstring& folder, bool withNoticeLibrary);

    const std::wstring& Program() const { return program_; }

    // Starts the program with arguments, each quoted.
    Marlin::KernelHandle Start(const std::vector<std::wstring>& arguments) const;
    // Starts it with a parameter text as it is, after the quoted program path and a blank.
    Marlin::KernelHandle StartWithParameters(const std::wstring& parameters) const;
    // Starts it and waits for its end: its exit code, or -1 when it had not ended after
    // 120 s (it is ended by force then).
    long Run(const std::vector<std::wstring>& arguments) const;

private:
    std::wstring program_;
};

}  // namespace quaytest
