#include "PipePeers.h"

#include <atomic>
#include <cstring>

#include "ProtocolVersion.h"
#include "TestFiles.h"

namespace pipetest {

std::string UniqueObjectName(const std::string& tag) {
    static std::atomic<unsigned> counter{0};
    return "quaytest-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

std::wstring UniquePipeName(const std::string& tag) { return L"\\\\.\\pipe\\" + FromAscii(UniqueObjectName(tag)); }

std::string Ascii(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::wstring FromAscii(const std::string& s) { return std::wstring(s.begin(), s.end()); }

Marlin::KernelHandle CreateNamedEvent(const std::string& name) {
    return Marlin::KernelHandle(CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
}

bool SignalNamedEvent(const std::string& name) {
    Marlin::KernelHandle e(OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    return e && SetEvent(e.get());
}

bool WaitNamedEvent(const std::string& name, DWORD milliseconds) {
    Marlin::KernelHandle e(OpenEventA(SYNCHRONIZE, FALSE, name.c_str()));
    return e && WaitForSingleObject(e.get(), milliseconds) == WAIT_OBJECT_0;
}

std::vector<uint8_t> EchoRequest(size_t totalSize, uint32_t seed) {
    std::string pattern = quaytest::PatternBytes(totalSize, seed);
    std::vector<uint8_t> out(pattern.begin(), pattern.end());
    const int32_t command = 2;
    std::memcpy(out.data(), &command, 4);
    return out;
}

std::vector<uint8_t> EchoReply(const std::vector<uint8_t>& request) {
    std::vector<uint8_t> out(request);
    std::memset(out.data(), 0, 4);
    return out;
}

int EchoConversation(Marlin::PipeCommandBase& channel, const std::vector<size_t>& sizes) {
    auto version = Marlin::ProtocolVersion::Request();
    if (!channel.Write(version.data(), static_cast<uint32_t>(version.size()))) return 10;
    std::vector<uint8_t> reply;
    if (!channel.Read(reply)) return 11;
    if (!Marlin::ProtocolVersion().AcceptsReply(reply)) return 12;
    int step = 20;
    for (size_t size : sizes) {
        auto request = EchoRequest(size, static_cast<uint32_t>(size));
        if (!channel.Write(request.data(), static_cast<uint32_t>(request.size()))) return step;
        if (!channel.Read(reply)) return step + 1;
        if (reply != EchoReply(request)) return step + 2;
        step += 3;
    }
    return 0;
}

}  // namespace pipetest
