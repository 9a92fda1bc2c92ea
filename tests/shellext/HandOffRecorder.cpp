#include "HandOffRecorder.h"

#include <windows.h>

#include "BuildFiles.h"
#include "HexBytes.h"
#include "ReplyBytes.h"
#include "TestHarness.h"

namespace droptest {

HandOffRecorder::HandOffRecorder(const wchar_t* script) {
    quaytest::MakeDir(program);
    const struct {
        std::wstring from, to;
    } files[] = {
        {quaytest::BuildFile(QUAYTEST_HANDOFF_CLIENT_EXE), program + L"\\Quaysail.exe"},
        {quaytest::BuildFile(QUAYTEST_QUAYDROP_DLL), program + L"\\Quaydrop.dll"},
    };
    for (const auto& file : files) {
        if (!CopyFileW(file.from.c_str(), file.to.c_str(), FALSE))
            FAIL("cannot copy " + quaytest::Utf8(file.from) + ": error " + std::to_string(GetLastError()));
    }
    SetEnvironmentVariableW(L"QUAYTEST_HANDOFF_SCRIPT", script);
    SetEnvironmentVariableW(L"QUAYTEST_HANDOFF_RECORD", record.c_str());
}

std::string HandOffRecorder::Recorded() const {
    return quaytest::Exists(record) ? quaytest::ReadBytes(record) : "(nothing)";
}

std::string HandOffRecorder::Expected(const std::vector<std::wstring>& sources, const std::wstring& target,
                                      int32_t operation) {
    using handofftest::ReplyBytes;
    return wiretest::Hex(ReplyBytes::Sources(sources)) + "\n" + wiretest::Hex(ReplyBytes::Destination(target)) + "\n" +
           wiretest::Hex(ReplyBytes::Operation(operation)) + "\n";
}

}  // namespace droptest
