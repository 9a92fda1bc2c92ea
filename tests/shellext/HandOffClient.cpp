// A client of the hand-off pipe that the server under test starts in place of the copy
// tool ("/FCP <pipe name>"). What it does comes from QUAYTEST_HANDOFF_SCRIPT, steps
// separated by blanks:
//   signal:NAME   sets the named event NAME (the test learns the pipe exists)
//   wait:NAME     waits for the named event NAME
//   open          opens the pipe once, as the copy tool does
//   w:HEX         writes one request of these bytes
//   r             reads one reply and appends it as a hex line to QUAYTEST_HANDOFF_RECORD
//   kill          ends this process at once, by force
// It closes the pipe at the end of the script and exits 0, or 2 when a step failed.
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "HexBytes.h"
#include "PipeCommandClient.h"
#include "UniqueHandle.h"

namespace {

std::wstring Environment(const wchar_t* name) {
    std::wstring value(32768, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

bool Record(const std::wstring& file, const std::vector<uint8_t>& reply) {
    Marlin::FileHandle out(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    const std::string line = wiretest::Hex(reply) + "\n";
    DWORD written = 0;
    return WriteFile(out.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

bool WithEvent(const std::wstring& name, bool set) {
    Marlin::KernelHandle event(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name.c_str()));
    if (!event) return false;
    return set ? SetEvent(event.get()) != FALSE : WaitForSingleObject(event.get(), INFINITE) == WAIT_OBJECT_0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || _wcsicmp(argv[1], L"/FCP") != 0) return 3;
    Marlin::PipeCommandClient pipe(argv[2]);
    const std::wstring record = Environment(L"QUAYTEST_HANDOFF_RECORD");
    std::wistringstream steps(Environment(L"QUAYTEST_HANDOFF_SCRIPT"));
    std::wstring step;
    while (steps >> step) {
        bool ok = true;
        if (step.rfind(L"signal:", 0) == 0) {
            ok = WithEvent(step.substr(7), true);
        } else if (step.rfind(L"wait:", 0) == 0) {
            ok = WithEvent(step.substr(5), false);
        } else if (step == L"open") {
            ok = pipe.Open() == 1;
        } else if (step.rfind(L"w:", 0) == 0) {
            const std::vector<uint8_t> request = wiretest::FromHex(Narrow(step.substr(2)));
            ok = pipe.Write(request.data(), static_cast<uint32_t>(request.size())) != 0;
        } else if (step == L"r") {
            std::vector<uint8_t> reply;
            ok = pipe.Read(reply) == 1 && Record(record, reply);
        } else if (step == L"kill") {
            TerminateProcess(GetCurrentProcess(), 9);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "handoff client: step %ls failed: error %lu\n", step.c_str(), GetLastError());
            return 2;
        }
    }
    pipe.Close();
    return 0;
}
